#include "CacheDirTag.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Engine {

namespace {

constexpr char signature[] = "Signature: 8a477f597d28d172789f06886806bc55";
constexpr std::size_t signatureLength = sizeof(signature) - 1;

} // namespace

bool hasCacheDirTag(int folderFd)
{
    // O_NONBLOCK: a FIFO of that name must not hold the walk.
    const int fd = openat(folderFd, "CACHEDIR.TAG", O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st {};
    char head[signatureLength];
    std::size_t got = 0;
    if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        while (got < signatureLength) {
            const ssize_t n = read(fd, head + got, signatureLength - got);
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
    }
    close(fd);
    return got == signatureLength && std::memcmp(head, signature, signatureLength) == 0;
}

} // namespace Engine
