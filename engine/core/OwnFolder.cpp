#include "OwnFolder.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

bool ownedByMe(int fd)
{
    struct stat st {};
    return fstat(fd, &st) == 0 && st.st_uid == geteuid();
}

} // namespace

int openOwnFolder(const std::filesystem::path &folder)
{
    std::vector<std::filesystem::path> missing;
    std::filesystem::path existing = folder;
    int fd = -1;
    while ((fd = open(existing.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) < 0) {
        if (errno != ENOENT || !existing.has_relative_path())
            return -1;
        missing.push_back(existing.filename());
        existing = existing.parent_path();
    }
    if (!ownedByMe(fd)) {
        close(fd);
        return -1;
    }
    for (auto name = missing.crbegin(); name != missing.crend(); ++name) {
        // Private, as XDG asks of base folders. What appears in its place meanwhile (a link
        // included) is not entered.
        mkdirat(fd, name->c_str(), 0700);
        const int child =
            openat(fd, name->c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        close(fd);
        if (child < 0 || !ownedByMe(child)) {
            if (child >= 0)
                close(child);
            return -1;
        }
        fd = child;
    }
    return fd;
}

} // namespace Engine
