#include "TreeBuilder.h"

#include <QtDebug>

#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace TreeBuilder {

void folder(const std::filesystem::path &path)
{
    std::error_code error;
    std::filesystem::create_directories(path, error);
    if (error)
        qFatal("cannot create %s: %s", path.c_str(), error.message().c_str());
}

void file(const std::filesystem::path &path, qint64 bytes)
{
    folder(path.parent_path());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        qFatal("cannot create %s", path.c_str());
    const std::string chunk(65536, 'a');
    for (qint64 left = bytes; left > 0;) {
        const auto now = static_cast<size_t>(std::min<qint64>(left, qint64(chunk.size())));
        if (write(fd, chunk.data(), now) != static_cast<ssize_t>(now))
            qFatal("cannot write %s", path.c_str());
        left -= static_cast<qint64>(now);
    }
    fsync(fd); // so st_blocks is final, not a delayed-allocation estimate
    close(fd);
}

void symlink(const std::filesystem::path &target, const std::filesystem::path &link)
{
    folder(link.parent_path());
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    if (error)
        qFatal("cannot link %s: %s", link.c_str(), error.message().c_str());
}

qint64 allocated(const std::filesystem::path &path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        qFatal("cannot stat %s", path.c_str());
    return static_cast<qint64>(st.st_blocks) * 512;
}

} // namespace TreeBuilder
