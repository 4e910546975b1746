#include "FileText.h"

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
    std::string text(limit, '\0');
    std::size_t length = 0;
    for (ssize_t got;
         length < text.size() && (got = read(fd, text.data() + length, text.size() - length)) > 0;)
        length += static_cast<std::size_t>(got);
    close(fd);
    text.resize(length);
    return text;
}

} // namespace Engine
