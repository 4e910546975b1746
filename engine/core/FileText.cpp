#include "FileText.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

std::optional<std::string> fileText(int dirFd, const char *name, std::size_t limit,
                                    bool followLinks)
{
    const int fd =
        openat(dirFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW));
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return std::nullopt;
    }
    // Room for what the file holds now, not for the limit: a limit of a megabyte would cost every
    // small file a megabyte cleared. A file that grows while read gets more room, up to the limit.
    std::string text;
    text.resize(std::min(limit, static_cast<std::size_t>(std::max<off_t>(st.st_size, 0)) + 1));
    std::size_t length = 0;
    for (ssize_t got; length < limit; length += static_cast<std::size_t>(got)) {
        if (length == text.size())
            text.resize(std::min(limit, 2 * text.size()));
        got = read(fd, text.data() + length, text.size() - length);
        if (got <= 0)
            break;
    }
    close(fd);
    text.resize(length);
    return text;
}

} // namespace Engine
