#pragma once

#include "FreedesktopTrash.h"
#include "LinuxRunningApplications.h"
#include "Services.h"
#include "SystemdCleanSchedule.h"

#include <QStringList>

// Stand-ins for what a person or the desktop would answer. The Trash stays the real one.

// Answers every confirmation with `answer` and remembers what was asked.
class ScriptedConfirmation : public Confirmation {
public:
    bool answer = false;
    QStringList asked; // "title | message | confirm label"
    bool confirm(const QString &title, const QString &message, const QString &label) override
    {
        asked << title + " | " + message + " | " + label;
        return answer;
    }
};

// The running applications a test says are running; bundles come from the real /proc scan, so a
// test can start a real process with APPIMAGE set.
class ListedRunningApps : public RunningApplications {
public:
    QSet<QString> running;
    QSet<QString> names() override { return running; }
    std::vector<RunningApp> withBundles() override
    {
        return LinuxRunningApplications().withBundles();
    }
};

class RecordingDesktop : public Desktop {
public:
    QStringList opened;
    QStringList revealed;
    int restartRequests = 0;
    // What the desktop answers: a failure of the reveal, whether a restart prompt came.
    std::optional<QString> revealFailure;
    bool restartPrompted = true;
    std::filesystem::path self = "/usr/bin/ampa";
    QString runner = "/nonexistent/pkexec";
    void openApplication(const std::filesystem::path &app) override
    {
        opened << QString::fromStdString(app.native());
    }
    void revealFile(const std::filesystem::path &path,
                    std::function<void(std::optional<QString>)> done) override
    {
        revealed << QString::fromStdString(path.native());
        done(revealFailure);
    }
    void requestRestart(std::function<void(bool)> done) override
    {
        ++restartRequests;
        done(restartPrompted);
    }
    std::filesystem::path selfBundle() override { return self; }
    QString adminRunner() override { return runner; }
};

struct FakeServices {
    std::shared_ptr<ScriptedConfirmation> confirmation = std::make_shared<ScriptedConfirmation>();
    std::shared_ptr<ListedRunningApps> running = std::make_shared<ListedRunningApps>();
    std::shared_ptr<RecordingDesktop> desktop = std::make_shared<RecordingDesktop>();
    std::shared_ptr<FreedesktopTrash> trash;
    // The real one: the test's home has no user manager to reach.
    std::shared_ptr<CleanSchedule> schedule = std::make_shared<SystemdCleanSchedule>();

    explicit FakeServices(std::vector<std::filesystem::path> volumeTops = {})
        : trash(std::make_shared<FreedesktopTrash>(std::move(volumeTops)))
    {}
    Services services() const { return {confirmation, running, trash, desktop, schedule}; }
};
