#include "LinuxRunningApplications.h"

#include "LargeItems.h"
#include "RunningApps.h"

#include <QFile>

#include <set>
#include <string>

QSet<QString> LinuxRunningApplications::names()
{
    return Engine::runningAppNames();
}

std::vector<RunningApp> LinuxRunningApplications::withBundles()
{
    std::set<std::filesystem::path> bundles;
    for (const std::string &pid : Engine::userProcessIds()) {
        QFile environment(QString::fromStdString("/proc/" + pid + "/environ"));
        if (!environment.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray &variable : environment.readAll().split('\0')) {
            if (variable.startsWith("APPIMAGE=") && variable.size() > 9)
                bundles.insert(variable.sliced(9).toStdString());
        }
    }

    std::vector<RunningApp> apps;
    for (const std::filesystem::path &bundle : bundles)
        apps.push_back({Engine::appName(bundle), bundle});
    return apps;
}
