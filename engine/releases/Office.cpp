#include "Office.h"

#include "Paths.h"
#include "Removal.h"
#include "Shell.h"

#include <unistd.h>

namespace Engine {

namespace {

std::filesystem::path underRoot(const OfficeSystem &system, const std::filesystem::path &path)
{
    return system.systemRoot / path.relative_path();
}

// pkexec exits 126 when the user dismisses its password dialog.
constexpr int dismissed = 126;

} // namespace

const std::vector<std::pair<QString, QString>> &officeApps()
{
    static const std::vector<std::pair<QString, QString>> apps{
        {"Word", "Microsoft Word"},
        {"Excel", "Microsoft Excel"},
        {"Powerpoint", "Microsoft PowerPoint"},
    };
    return apps;
}

const QStringList &microsoftApps()
{
    static const QStringList apps{
        "Microsoft Word",    "Microsoft Excel", "Microsoft PowerPoint", "Microsoft Outlook",
        "Microsoft OneNote", "OneDrive",        "Microsoft Teams",      "Microsoft Defender",
    };
    return apps;
}

std::vector<std::filesystem::path> autoRecoverFiles()
{
    std::vector<std::filesystem::path> files;
    for (const auto &app : officeApps()) {
        const std::filesystem::path folder =
            url("~/Library/Containers/com.microsoft." + app.first.toStdString()
                + "/Data/Library/Preferences/AutoRecovery");
        for (const std::string &entry : folderEntries(folder).value_or(std::vector<std::string>{}))
            files.push_back(folder / entry);
    }
    return files;
}

bool mauInstalled(const OfficeSystem &system)
{
    return Engine::exists(underRoot(system, mauDir));
}

QStringList microsoftAppsInstalled(const OfficeSystem &system)
{
    QStringList installed;
    for (const QString &name : microsoftApps()) {
        if (Engine::exists(underRoot(system, "/Applications/" + name.toStdString() + ".app")))
            installed << name;
    }
    return installed;
}

QString mauRemovalScript()
{
    const QStringList removed{
        QStringLiteral("'") + QLatin1String(mauDir) + QStringLiteral("'"),
        "/Library/LaunchDaemons/com.microsoft.autoupdate.helper.plist",
        "/Library/LaunchDaemons/com.microsoft.office.licensingV2.helper.plist",
        "/Library/LaunchAgents/com.microsoft.update.agent.plist",
        "/Library/PrivilegedHelperTools/com.microsoft.autoupdate.helper",
        "/Library/PrivilegedHelperTools/com.microsoft.office.licensingV2.helper",
        "/Library/Caches/com.microsoft.autoupdate.helper",
        "/Library/Caches/com.microsoft.autoupdate.fba",
        "'/Applications/Microsoft Defender Shim.app'",
    };
    const QStringList commands{
        "launchctl bootout system /Library/LaunchDaemons/com.microsoft.autoupdate.helper.plist",
        "launchctl bootout system "
        "/Library/LaunchDaemons/com.microsoft.office.licensingV2.helper.plist",
        "rm -rf " + removed.join(' '),
        "rmdir '/Library/Application Support/Microsoft'",
    };
    QStringList quiet;
    for (const QString &command : commands)
        quiet << command + " 2>/dev/null";
    return quiet.join("; ") + "; true";
}

MauRemoval removeMAU(const OfficeSystem &system)
{
    // The user's own agent; no such service manager on Linux, and the outcome is ignored anyway.
    shell("/bin/launchctl",
          {"bootout", QStringLiteral("gui/%1/com.microsoft.update.agent").arg(getuid())});

    const ShellResult privileged = shell(system.runner, {"/bin/sh", "-c", mauRemovalScript()});

    for (const char *item : {"~/Library/Preferences/com.microsoft.autoupdate2.plist",
                             "~/Library/Caches/com.microsoft.autoupdate2",
                             "~/Library/Application Support/Microsoft AU Daemon"})
        removeItem(url(item));

    using enum MauRemoval::Outcome;
    if (privileged.code == 0)
        return {mauInstalled(system) ? partlyLeft : removed, {}};
    if (privileged.code == dismissed)
        return {cancelled, {}};
    return {failed, privileged.out};
}

} // namespace Engine
