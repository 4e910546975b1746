#include "ProcessTable.h"

#include "Paths.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <string_view>
#include <unistd.h>

namespace Engine {

std::optional<std::vector<std::string>> processIds(const std::filesystem::path &procRoot)
{
    std::optional<std::vector<std::string>> names = folderEntries(procRoot);
    if (!names)
        return std::nullopt;
    std::erase_if(*names, [](const std::string &name) {
        return name.empty() || name.find_first_not_of("0123456789") != std::string::npos;
    });
    return names;
}

std::filesystem::path processLink(const std::string &pid, const char *name,
                                  const std::filesystem::path &procRoot)
{
    std::error_code error;
    std::string target = std::filesystem::read_symlink(procRoot / pid / name, error).native();
    if (error)
        return {};
    constexpr std::string_view deleted = " (deleted)";
    if (target.ends_with(deleted))
        target.resize(target.size() - deleted.size());
    return target;
}

namespace {

// A file of the process file system, which reports no size: read until the kernel has nothing
// more.
std::string readAll(const std::filesystem::path &path)
{
    std::string text;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return text;
    char buffer[65536];
    for (;;) {
        const ssize_t length = read(fd, buffer, sizeof buffer);
        if (length > 0)
            text.append(buffer, static_cast<size_t>(length));
        else if (length == 0 || errno != EINTR)
            break;
    }
    close(fd);
    return text;
}

} // namespace

std::string processCommandLine(const std::string &pid, const std::filesystem::path &procRoot)
{
    return readAll(procRoot / pid / "cmdline");
}

std::vector<std::filesystem::path> processMappedFiles(const std::string &pid,
                                                      const std::filesystem::path &procRoot)
{
    std::vector<std::filesystem::path> files;
    // Each line: address, permissions, offset, device, inode, then the path for a file.
    std::string text = readAll(procRoot / pid / "maps");
    constexpr std::string_view deleted = " (deleted)";
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view line(text.data() + at, end - at);
        at = end + 1;
        const std::size_t slash = line.find(" /");
        if (slash == std::string_view::npos)
            continue;
        line.remove_prefix(slash + 1);
        if (line.ends_with(deleted))
            line.remove_suffix(deleted.size());
        if (files.empty() || files.back().native() != line)
            files.emplace_back(std::string(line));
    }
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    return files;
}

} // namespace Engine
