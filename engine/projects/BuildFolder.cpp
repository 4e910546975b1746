#include "BuildFolder.h"

#include "FileText.h"
#include "FolderIdentity.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <set>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

namespace fs = std::filesystem;

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Folders CMake keeps for itself: FetchContent's downloads keep their archives' old times.
bool toolFolder(std::string_view name)
{
    return name == "CMakeFiles" || name == "_deps" || name == "Testing" || name == ".cmake"
           || name.ends_with("_autogen");
}

bool generatorFile(std::string_view name)
{
    static const std::set<std::string_view> names = {"CMakeCache.txt",
                                                     "Makefile",
                                                     "build.ninja",
                                                     "rules.ninja",
                                                     ".ninja_log",
                                                     ".ninja_deps",
                                                     "compile_commands.json",
                                                     "install_manifest.txt",
                                                     "DartConfiguration.tcl",
                                                     "CMakeDoxyfile.in",
                                                     "CMakeDoxygenDefaults.cmake"};
    return names.contains(name);
}

bool productName(std::string_view name)
{
    for (const std::string_view extension :
         {".o", ".obj", ".a", ".so", ".d", ".gcda", ".gcno", ".pch", ".gch", ".qm", ".rcc",
          ".cmake", ".ninja", ".stamp"})
        if (name.ends_with(extension))
            return true;
    return name.find(".so.") != std::string_view::npos; // a versioned shared library
}

// A program or an archive the linker made, by its first bytes.
bool linkerOutput(int folder, const char *name)
{
    const int fd = openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return false;
    std::array<char, 8> head{};
    const ssize_t got = read(fd, head.data(), head.size());
    close(fd);
    return (got >= 4
            && std::memcmp(head.data(),
                           "\x7f"
                           "ELF",
                           4)
                   == 0)
           || (got == 8 && std::memcmp(head.data(), "!<arch>\n", 8) == 0);
}

// The outputs a Makefile generator lists (configure_file's among them), relative to the folder.
std::set<std::string> listedOutputs(int folder)
{
    std::set<std::string> outputs;
    const std::string text =
        fileText(folder, "CMakeFiles/Makefile.cmake", 1 << 20).value_or(std::string());
    const std::size_t from = text.find("set(CMAKE_MAKEFILE_PRODUCTS");
    const std::size_t to = text.find(')', from);
    if (from == std::string::npos || to == std::string::npos)
        return outputs;
    for (std::size_t at = text.find('"', from); at < to; at = text.find('"', at)) {
        const std::size_t end = text.find('"', at + 1);
        if (end == std::string::npos || end > to)
            break;
        outputs.insert(text.substr(at + 1, end - at - 1));
        at = end + 1;
    }
    return outputs;
}

std::optional<time_t> modified(int folder, const char *name)
{
    struct stat st {};
    if (fstatat(folder, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return st.st_mtim.tv_sec;
}

// When the folder was first configured: its cache, or the system file of its first configure.
std::optional<time_t> firstConfigure(int folder)
{
    std::optional<time_t> first = modified(folder, "CMakeCache.txt");
    if (!first)
        return std::nullopt;
    const int files = openat(folder, "CMakeFiles", dirFlags);
    DIR *dir = files >= 0 ? fdopendir(files) : nullptr;
    if (!dir) {
        if (files >= 0)
            close(files);
        return first;
    }
    while (const dirent *entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const std::string system = std::string(entry->d_name) + "/CMakeSystem.cmake";
        if (const auto at = modified(dirfd(dir), system.c_str()))
            first = std::min(*first, *at);
    }
    closedir(dir);
    return first;
}

struct Check {
    time_t since;
    std::set<std::string> outputs;
    FolderIdentity rootId;

    // The first file of the user's in the folder open at `fd` (closed here), at `relative`.
    std::optional<fs::path> visit(int fd, const fs::path &relative)
    {
        DIR *dir = fdopendir(fd);
        if (!dir) {
            close(fd);
            return relative;
        }
        std::vector<std::string> names;
        while (const dirent *entry = readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.emplace_back(entry->d_name);
        std::sort(names.begin(), names.end());
        std::optional<fs::path> found;
        for (const std::string &name : names) {
            if (found)
                break;
            found = entry(dirfd(dir), name, relative / name);
        }
        closedir(dir);
        return found;
    }

    std::optional<fs::path> entry(int folder, const std::string &name, const fs::path &relative)
    {
        struct stat st {};
        if (fstatat(folder, name.c_str(), &st, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) != 0)
            return relative; // vanished or unreadable: not shown to be the tool's
        if (S_ISDIR(st.st_mode)) {
            if (toolFolder(name))
                return std::nullopt;
            const int child = openat(folder, name.c_str(), dirFlags);
            const std::optional<FolderIdentity> id =
                child >= 0 ? identify(child) : std::optional<FolderIdentity>();
            if (!id || !id->sameMount(rootId)) {
                if (child >= 0)
                    close(child);
                return relative; // a removal would stop there: not offered
            }
            return visit(child, relative);
        }
        if (!S_ISREG(st.st_mode))
            return std::nullopt;
        const bool made = generatorFile(name) || productName(name)
                          || outputs.contains(relative.native())
                          || linkerOutput(folder, name.c_str());
        if (!made || st.st_mtim.tv_sec < since)
            return relative;
        return std::nullopt;
    }
};

} // namespace

std::optional<fs::path> userFileInBuildFolder(const fs::path &folder)
{
    const int fd = open(folder.c_str(), dirFlags);
    if (fd < 0)
        return folder;
    const std::optional<FolderIdentity> id = identify(fd);
    const std::optional<time_t> since = firstConfigure(fd);
    if (!id || !since) {
        close(fd);
        return folder;
    }
    Check check{*since, listedOutputs(fd), *id};
    return check.visit(fd, {});
}

} // namespace Engine
