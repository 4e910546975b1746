#pragma once

#include <QProcess>
#include <QStringList>

#include <filesystem>
#include <string>

// A real process for a test: `command` (the program, then its arguments) started in `folder`
// with `environment` ("NAME=value") added, and killed when the test is done with it.
class Child {
public:
    explicit Child(const QStringList &command, const std::filesystem::path &folder = {},
                   const QStringList &environment = {})
    {
        if (!folder.empty())
            process.setWorkingDirectory(QString::fromStdString(folder.native()));
        QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
        for (const QString &pair : environment)
            variables.insert(pair.section('=', 0, 0), pair.section('=', 1));
        process.setProcessEnvironment(variables);
        process.start(command.first(), command.mid(1));
        process.waitForStarted(10000);
    }
    ~Child()
    {
        process.kill();
        process.waitForFinished(10000);
    }
    Child(const Child &) = delete;
    Child &operator=(const Child &) = delete;

    bool started() const { return process.state() == QProcess::Running; }
    qint64 pid() const { return process.processId(); }
    std::filesystem::path proc(const char *name) const
    {
        return std::filesystem::path("/proc") / std::to_string(pid()) / name;
    }

    // A shell script that says "ready" once it runs, then waits on its input until killed.
    static constexpr const char *readyScript = "echo ready; read line";
    // Whether the child said "ready" before it ended.
    bool ready()
    {
        QByteArray said;
        while (!said.contains("ready")) {
            if (!process.waitForReadyRead())
                return false;
            said += process.readAllStandardOutput();
        }
        return true;
    }

private:
    QProcess process;
};
