#include "TreeSize.h"

#include "FolderIdentity.h"
#include "Paths.h"

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

constexpr int dirFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int statFlags = AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT;

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

qint64 allocated(const struct stat &st)
{
    return static_cast<qint64>(st.st_blocks) * 512;
}

// Walks the folder open at `rootFd` (which it takes over) on an explicit stack of open folders,
// so depth costs heap, not call stack.
qint64 walk(int rootFd, const FolderIdentity &rootId)
{
    std::vector<DIR *> stack;
    if (DIR *root = fdopendir(rootFd))
        stack.push_back(root);
    else
        close(rootFd);

    qint64 total = 0;
    while (!stack.empty()) {
        DIR *dir = stack.back();
        const dirent *entry = readdir(dir);
        if (!entry) {
            closedir(dir);
            stack.pop_back();
            continue;
        }
        if (isDotOrDotDot(entry->d_name))
            continue;

        const int parent = dirfd(dir);
        bool descend = entry->d_type == DT_DIR;
        if (entry->d_type == DT_REG || entry->d_type == DT_UNKNOWN) {
            struct stat st {};
            if (fstatat(parent, entry->d_name, &st, statFlags) != 0)
                continue;
            if (S_ISREG(st.st_mode))
                total += allocated(st);
            descend = S_ISDIR(st.st_mode);
        }
        if (!descend)
            continue;

        const int child = openat(parent, entry->d_name, dirFlags);
        if (child < 0)
            continue;
        const std::optional<FolderIdentity> id = identify(child);
        if (!id || !id->sameMount(rootId)) {
            close(child);
            continue;
        }
        if (DIR *sub = fdopendir(child))
            stack.push_back(sub);
        else
            close(child);
    }
    return total;
}

} // namespace

qint64 size(const std::filesystem::path &path)
{
    const std::filesystem::path target = withoutTrailingSlash(path);
    const int fd = open(target.c_str(), dirFlags);
    if (fd < 0) {
        // Not a folder, a symbolic link, or nothing: its own allocation, never opened.
        struct stat st {};
        if (fstatat(AT_FDCWD, target.c_str(), &st, statFlags) != 0)
            return 0;
        return S_ISDIR(st.st_mode) ? 0 : allocated(st);
    }
    const std::optional<FolderIdentity> root = identify(fd);
    if (!root) {
        close(fd);
        return 0;
    }
    return walk(fd, *root);
}

} // namespace Engine
