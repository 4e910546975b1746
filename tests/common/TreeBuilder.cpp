#include "TreeBuilder.h"

#include "TestHome.h"

#include <QCryptographicHash>
#include <QFile>
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

void shaped(const std::filesystem::path &path, const std::vector<std::string> &holds)
{
    folder(path);
    for (const std::string &element : holds) {
        std::string name;
        const std::string first = element.substr(0, element.find('|'));
        for (std::size_t i = 0; i < first.size(); ++i) {
            if (first[i] == '[') { // a class: its first character
                name += first[i + 1];
                i = first.find(']', i);
            } else {
                name += first[i] == '*' || first[i] == '?' ? '1' : first[i];
            }
        }
        folder(path / name);
    }
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
        if (::write(fd, chunk.data(), now) != static_cast<ssize_t>(now))
            qFatal("cannot write %s", path.c_str());
        left -= static_cast<qint64>(now);
    }
    fsync(fd); // so st_blocks is final, not a delayed-allocation estimate
    close(fd);
}

void write(const std::filesystem::path &path, const QByteArray &data)
{
    folder(path.parent_path());
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, data.constData(), static_cast<size_t>(data.size())) != data.size())
        qFatal("cannot write %s", path.c_str());
    close(fd);
}

QByteArray read(const std::filesystem::path &path)
{
    QFile file(QString::fromUtf8(path.native()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

std::map<std::string, std::string> manifest(const std::filesystem::path &root)
{
    std::map<std::string, std::string> items;
    std::error_code error;
    const auto options = std::filesystem::directory_options::skip_permission_denied;
    for (std::filesystem::recursive_directory_iterator it(root, options, error), end;
         !error && it != end; it.increment(error)) {
        const std::filesystem::path &path = it->path();
        struct stat st {};
        if (lstat(path.c_str(), &st) != 0)
            continue;
        std::string description = std::to_string(st.st_mode) + " " + std::to_string(st.st_size);
        if (S_ISLNK(st.st_mode)) {
            description += " -> " + std::filesystem::read_symlink(path, error).native();
        } else if (S_ISREG(st.st_mode)) {
            QFile file(QString::fromUtf8(path.native()));
            if (file.open(QIODevice::ReadOnly))
                description +=
                    " "
                    + QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                          .toHex()
                          .toStdString();
        }
        items[path.lexically_relative(root).native()] = description;
    }
    return items;
}

void makePassable(const std::filesystem::path &path)
{
    for (std::filesystem::path p = path; p != TestHome::root().parent_path(); p = p.parent_path())
        chmod(p.c_str(), 0755);
}

} // namespace TreeBuilder
