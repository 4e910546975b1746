#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <utility>
#include <vector>

// Leftovers of the office suite: AutoRecovery copies and the updater that has nothing left to
// update. Their folders are the macOS ones; on Linux they measure nothing, and the code stays
// tested against fixtures.
namespace Engine {

// Container suffix after "com.microsoft." and the name the application runs under.
const std::vector<std::pair<QString, QString>> &officeApps();

// The updater's folder.
inline constexpr char mauDir[] = "/Library/Application Support/Microsoft/MAU2.0";

// The applications that can still need the updater, in order.
const QStringList &microsoftApps();

// Every entry, hidden ones included, of the three AutoRecovery folders; unlistable folders give
// nothing.
std::vector<std::filesystem::path> autoRecoverFiles();

// Where the system folders are looked for and how the administrator step runs. Tests point
// `systemRoot` into a temporary folder and `runner` at a stand-in; the shell text stays the same.
struct OfficeSystem {
    std::filesystem::path systemRoot = "/";
    QString runner = "/usr/bin/pkexec";
};

bool mauInstalled(const OfficeSystem &system = {});

// The names of microsoftApps() whose application is in the system-wide /Applications.
QStringList microsoftAppsInstalled(const OfficeSystem &system = {});

// The administrator shell text that removes the updater; every step may fail, the whole never.
QString mauRemovalScript();

struct MauRemoval {
    enum class Outcome { removed, partlyLeft, cancelled, failed };
    Outcome outcome = Outcome::removed;
    QString output; // failed: what the administrator step said
};

// Removes the updater: the privileged step through `runner /bin/sh -c <script>` (the runner asks
// for the administrator's password), then, whatever it answered, the user's own three updater
// items. Blocks until the user has answered.
MauRemoval removeMAU(const OfficeSystem &system = {});

} // namespace Engine
