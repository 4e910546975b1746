#include "RunningApps.h"

#include "DesktopEntry.h"
#include "Paths.h"
#include "ProcessTable.h"

#include <cstdlib>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace Engine {

namespace {

using Path = std::filesystem::path;

// Executables of the current user's processes, as the kernel names them.
std::set<Path> runningExecutables()
{
    std::set<Path> executables;
    for (const std::string &pid : userProcessIds())
        if (Path executable = processLink(pid, "exe"); !executable.empty())
            executables.insert(std::move(executable));
    return executables;
}

Path resolvedOrEmpty(const Path &path)
{
    std::error_code error;
    Path resolved = std::filesystem::canonical(path, error);
    return error ? Path() : resolved;
}

// Folders that hold the programs of many packages: a program's neighbours there are not its own.
std::set<Path> sharedFolders()
{
    std::set<Path> shared;
    for (const char *folder :
         {"/", "/bin", "/sbin", "/usr", "/usr/bin", "/usr/sbin", "/usr/local", "/usr/local/bin",
          "/usr/local/sbin", "/usr/games", "/usr/local/games", "/usr/lib", "/usr/lib64",
          "/usr/libexec", "/usr/local/lib", "/opt", "/snap/bin", "/tmp", "/var/tmp"})
        shared.insert(resolvedOrEmpty(folder));
    const Path home = homeDir();
    for (const Path &folder : {home, home / ".local/bin", home / "bin", home / "Applications"})
        shared.insert(resolvedOrEmpty(folder));
    if (const char *path = std::getenv("PATH")) {
        std::string dirs = path;
        for (size_t start = 0; start <= dirs.size();) {
            const size_t end = std::min(dirs.find(':', start), dirs.size());
            if (end > start)
                shared.insert(resolvedOrEmpty(dirs.substr(start, end - start)));
            start = end + 1;
        }
    }
    shared.erase(Path());
    return shared;
}

} // namespace

std::vector<std::string> userProcessIds()
{
    std::vector<std::string> pids;
    const uid_t user = geteuid();
    for (const std::string &name : processIds().value_or(std::vector<std::string>{})) {
        struct stat st {};
        if (stat(("/proc/" + name).c_str(), &st) == 0 && st.st_uid == user)
            pids.push_back(name);
    }
    return pids;
}

QSet<QString> runningAppNames()
{
    const std::set<Path> executables = runningExecutables();
    std::set<Path> executableFolders;
    for (const Path &executable : executables)
        executableFolders.insert(executable.parent_path());
    const std::set<Path> shared = sharedFolders();

    QSet<QString> names;
    for (const DesktopEntry &entry : installedDesktopEntries()) {
        for (const Path &program : entryPrograms(entry)) {
            const Path resolved = resolvedOrEmpty(program);
            const Path folder = resolved.parent_path();
            const bool running = executables.contains(program)
                                 || (!resolved.empty() && executables.contains(resolved))
                                 || (!resolved.empty() && !shared.contains(folder)
                                     && executableFolders.contains(folder));
            if (running) {
                names.insert(entry.name);
                break;
            }
        }
    }
    return names;
}

} // namespace Engine
