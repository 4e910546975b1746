#include "ProcessTable.h"

#include "Paths.h"

#include <cerrno>
#include <fcntl.h>
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

std::string processCommandLine(const std::string &pid, const std::filesystem::path &procRoot)
{
    std::string arguments;
    const int fd = open((procRoot / pid / "cmdline").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return arguments;
    // The file reports no size: read until the kernel has nothing more.
    char buffer[65536];
    for (;;) {
        const ssize_t length = read(fd, buffer, sizeof buffer);
        if (length > 0)
            arguments.append(buffer, static_cast<size_t>(length));
        else if (length == 0 || errno != EINTR)
            break;
    }
    close(fd);
    return arguments;
}

} // namespace Engine
