#pragma once

#include <QProcess>
#include <QStringList>

#include <filesystem>

// What a program run by a test printed and how it ended.
struct Run {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs a real program without a terminal (standard input closed, output in pipes), in
// `workingFolder` when one is given; a run that does not end stops the test.
inline Run runProgram(const QString &program, const QStringList &arguments,
                      const std::filesystem::path &workingFolder = {})
{
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(workingFolder.native()));
    process.start(program, arguments);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        qFatal("%s %s did not finish", qPrintable(program), qPrintable(arguments.join(' ')));
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}
