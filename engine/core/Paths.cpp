#include "Paths.h"

#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

std::filesystem::path homeDir()
{
    if (const char *home = std::getenv("HOME"); home && *home)
        return home;
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found
        && found->pw_dir && *found->pw_dir)
        return found->pw_dir;
    return "/";
}

std::filesystem::path url(const std::filesystem::path &path)
{
    const std::string &text = path.native();
    if (text == "~")
        return homeDir();
    if (text.starts_with("~/"))
        return homeDir() / text.substr(2);
    return path;
}

std::filesystem::path xdgDir(const char *variable, const char *fallbackUnderHome)
{
    if (const char *value = std::getenv(variable); value && value[0] == '/')
        return value;
    return homeDir() / fallbackUnderHome;
}

std::filesystem::path withoutTrailingSlash(const std::filesystem::path &path)
{
    std::string text = path.native();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    return text;
}

bool isSameOrInside(const std::filesystem::path &path, const std::filesystem::path &folder)
{
    auto inner = path.begin();
    for (const std::filesystem::path &part : folder) {
        if (part.empty())
            continue; // a trailing separator
        if (inner == path.end() || *inner != part)
            return false;
        ++inner;
    }
    return true;
}

bool exists(const std::filesystem::path &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

bool isFolderHere(const std::filesystem::path &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

namespace {

// The names in the open stream (not "." and ".."), which it closes.
std::vector<std::string> namesOf(DIR *dir)
{
    std::vector<std::string> names;
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

} // namespace

std::optional<std::vector<std::string>> folderEntries(const std::filesystem::path &folder)
{
    DIR *dir = opendir(folder.c_str());
    if (!dir)
        return std::nullopt;
    return namesOf(dir);
}

std::optional<std::vector<std::string>> folderEntries(int fd)
{
    const int copy = fcntl(fd, F_DUPFD_CLOEXEC, 0);
    DIR *dir = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!dir) {
        if (copy >= 0)
            close(copy);
        return std::nullopt;
    }
    rewinddir(dir); // a duplicate shares the reading position
    return namesOf(dir);
}

QString displayPath(const std::filesystem::path &path)
{
    return QString::fromUtf8(path.native());
}

} // namespace Engine
