#include "DevOwners.h"

#include "Paths.h"
#include "ProcessTable.h"
#include "RunningApps.h"

#include <QFile>

#include <arpa/inet.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <fcntl.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/file.h>
#include <unistd.h>

namespace Engine {

namespace {

namespace fs = std::filesystem;

bool pidAlive(const QString &text)
{
    bool ok = false;
    const long pid = text.trimmed().toLong(&ok);
    if (!ok || pid <= 0 || pid > INT_MAX)
        return false;
    return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QString linkTarget(const fs::path &path)
{
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    return error ? QString() : displayPath(target);
}

QString hostName()
{
    char name[HOST_NAME_MAX + 1] = {};
    return gethostname(name, sizeof name) == 0 ? QString::fromLocal8Bit(name) : QString();
}

// Whether the address is this machine's: a loopback one, or one of its interfaces'.
bool isOwnAddress(const QString &text)
{
    const QByteArray address = text.toLatin1();
    in_addr v4{};
    if (inet_pton(AF_INET, address.constData(), &v4) == 1 && (ntohl(v4.s_addr) >> 24) == 127)
        return true;
    if (address == "::1")
        return true;
    ifaddrs *interfaces = nullptr;
    if (getifaddrs(&interfaces) != 0)
        return false;
    bool own = false;
    for (const ifaddrs *entry = interfaces; entry && !own; entry = entry->ifa_next) {
        if (!entry->ifa_addr)
            continue;
        char name[INET6_ADDRSTRLEN] = {};
        const int family = entry->ifa_addr->sa_family;
        const void *raw = family == AF_INET ? static_cast<const void *>(
                              &reinterpret_cast<const sockaddr_in *>(entry->ifa_addr)->sin_addr)
                          : family == AF_INET6 ? static_cast<const void *>(
                                &reinterpret_cast<const sockaddr_in6 *>(entry->ifa_addr)->sin6_addr)
                                               : nullptr;
        own = raw && inet_ntop(family, raw, name, sizeof name) && address == name;
    }
    freeifaddrs(interfaces);
    return own;
}

// Whether another process holds the lock the owner takes on the file.
bool locked(const fs::path &path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool held = flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    if (!held)
        flock(fd, LOCK_UN);
    close(fd);
    return held;
}

// A running instance of the Flatpak application: its folder under $XDG_RUNTIME_DIR/.flatpak
// names the application in `info` and its sandbox's process in `pid`.
bool flatpakRunning(const fs::path &instances, const QString &app)
{
    for (const std::string &instance :
         folderEntries(instances).value_or(std::vector<std::string>{})) {
        QFile info(QString::fromStdString((instances / instance / "info").native()));
        if (!info.open(QIODevice::ReadOnly))
            continue;
        const QByteArray wanted = "\nname=" + app.toUtf8() + '\n';
        if (!('\n' + info.readAll() + '\n').contains(wanted))
            continue;
        QFile pid(QString::fromStdString((instances / instance / "pid").native()));
        if (pid.open(QIODevice::ReadOnly) && pidAlive(QString::fromLatin1(pid.readAll())))
            return true;
    }
    return false;
}

bool signAlive(const OwnerLock &lock, const std::vector<UserProcess> &processes)
{
    switch (lock.kind) {
    case OwnerLock::Kind::singleton: {
        const QString target = linkTarget(lock.path);
        const qsizetype dash = target.lastIndexOf('-');
        if (dash < 0)
            return false;
        return target.left(dash) != hostName() || pidAlive(target.mid(dash + 1));
    }
    case OwnerLock::Kind::firefox: {
        // "address:+pid": a pid is this machine's to judge only when the address is its own.
        const QString target = linkTarget(lock.path);
        const qsizetype plus = target.lastIndexOf('+');
        const qsizetype colon = target.lastIndexOf(':', plus);
        if (plus < 0 || colon < 0)
            return false;
        return !isOwnAddress(target.left(colon)) || pidAlive(target.mid(plus + 1));
    }
    case OwnerLock::Kind::pidFile: {
        QFile file(QString::fromStdString(lock.path.native()));
        return file.open(QIODevice::ReadOnly) && pidAlive(QString::fromLatin1(file.read(32)));
    }
    case OwnerLock::Kind::flock:
        return locked(lock.path);
    case OwnerLock::Kind::flatpak:
        return !lock.path.empty() && flatpakRunning(lock.path, lock.app);
    case OwnerLock::Kind::programs:
        for (const UserProcess &process : processes)
            if (isSameOrInside(process.program, lock.path))
                return true;
        return false;
    }
    return false;
}

// A program that runs a script named by its first argument ("python3.11" is "python").
bool isInterpreter(const QString &program)
{
    for (const QLatin1String name :
         {QLatin1String("node"), QLatin1String("python"), QLatin1String("java"),
          QLatin1String("bash"), QLatin1String("sh"), QLatin1String("dash"), QLatin1String("ruby"),
          QLatin1String("perl")}) {
        if (program == name)
            return true;
        if (program.startsWith(name) && program.size() > name.size()
            && (program.at(name.size()).isDigit() || program.at(name.size()) == '.'))
            return true;
    }
    return false;
}

QString baseName(const QString &path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

} // namespace

std::vector<UserProcess> userProcesses()
{
    std::vector<UserProcess> processes;
    for (const std::string &pid : userProcessIds()) {
        UserProcess process;
        process.program = processLink(pid, "exe");
        const std::string line = processCommandLine(pid);
        for (const QByteArray &argument : QByteArray::fromStdString(line).split('\0'))
            if (!argument.isEmpty())
                process.arguments << QString::fromLocal8Bit(argument);
        if (process.program.empty() && process.arguments.isEmpty())
            continue;
        process.names << displayPath(process.program.filename());
        if (!process.arguments.isEmpty())
            process.names << baseName(process.arguments.first());
        if (isInterpreter(process.names.first())) {
            // The script is the first word that is not an option of the interpreter's
            // ("python3 -u …/cargo.py", "sh -e …/yarn").
            for (const QString &argument : process.arguments.mid(1)) {
                if (argument.startsWith('-'))
                    continue;
                const QString script = baseName(argument);
                process.names << script.left(script.indexOf('.') > 0 ? script.indexOf('.')
                                                                     : script.size());
                break;
            }
        }
        processes.push_back(std::move(process));
    }
    return processes;
}

bool ownerRunning(const DevCache &cache, const std::vector<UserProcess> &processes)
{
    for (const OwnerLock &lock : cache.locks)
        if (signAlive(lock, processes))
            return true;
    for (const UserProcess &process : processes) {
        for (const QString &name : process.names)
            if (cache.owners.contains(name))
                return true;
        for (const QString &marker : cache.ownerArguments)
            if (process.arguments.contains(marker))
                return true;
    }
    return false;
}

} // namespace Engine
