#pragma once

#include <QStringList>

#include <functional>
#include <optional>

class Model;

struct Options {
    bool json = false;
    bool verbose = false;
    bool yes = false;
    bool dryRun = false;
    std::optional<int> olderDays; // projects idle at least this many days
    std::optional<int> depth;     // space: how many levels of folders to list
    QString exportTo;             // space: the file the scan is saved to, as ncdu saves one
    QString importFrom;           // space: a scan saved by ncdu, shown instead of a walk
    bool apparent = false;        // space: sizes as the bytes files hold, not what they take
    QString order;                // space: how folders are listed (size, name, count, age, grown)
    bool since = false;           // space: each folder's growth since a walk before
    std::optional<int>
        sinceDays; // space: since the walk nearest that many days ago; none: the last
};

// Exit statuses.
inline constexpr int exitOk = 0;
inline constexpr int exitPartlyFailed = 1;
inline constexpr int exitUsage = 2;

int runStatus(const Options &options);
int runClean(const Options &options);
int runLog();
// `arguments`: what follows "dev" ("", "clean ID…", "keep ID", "release ID").
int runDev(const QStringList &arguments, const Options &options);
// `arguments`: what follows "projects" ("", "clean PATH…", "keep PATH", "release PATH").
int runProjects(const QStringList &arguments, const Options &options);
// `arguments`: what follows "space" ("" for the home, or a folder; nothing with an import).
int runSpace(const QStringList &arguments, const Options &options);
// `arguments`: what follows "complete" (dev, dev-kept or projects-kept): the words a shell's
// completion offers there, one a line.
int runComplete(const QStringList &arguments);
// `arguments`: what follows "schedule" ("" to show it, or one of off, daily, weekly, monthly).
int runSchedule(const QStringList &arguments);

// Runs the event loop until `done()` holds, with a progress line of the model's stage on a
// terminal unless the output is `json`.
void waitUntil(Model &model, const std::function<bool()> &done, bool json);

// The usage text, in the user's language.
QString usage();

// The line that says demo mode is on: sample figures, nothing removed.
QString demoNotice();
