#include "LinuxRunningApplications.h"

#include "LargeItems.h"
#include "RunningApps.h"

#include <QFile>

#include <dirent.h>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

QSet<QString> LinuxRunningApplications::names()
{
    return Engine::runningAppNames();
}

std::vector<RunningApp> LinuxRunningApplications::withBundles()
{
    std::set<std::filesystem::path> bundles;
    DIR *proc = opendir("/proc");
    if (!proc)
        return {};
    const uid_t user = geteuid();
    while (const dirent *entry = readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        struct stat st {};
        if (fstatat(dirfd(proc), entry->d_name, &st, 0) != 0 || st.st_uid != user)
            continue;
        QFile environment(QString::fromLatin1("/proc/" + pid + "/environ"));
        if (!environment.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &variable : environment.readAll().split('\0')) {
            if (variable.startsWith("APPIMAGE=") && variable.size() > 9)
                bundles.insert(variable.sliced(9).toStdString());
        }
    }
    closedir(proc);

    std::vector<RunningApp> apps;
    for (const std::filesystem::path &bundle : bundles)
        apps.push_back({Engine::appName(bundle), bundle});
    return apps;
}
