#pragma once

#include <QCoreApplication>
#include <QProcess>
#include <QStringList>

// What ampa-file-helper (beside the test) did with its steps.
struct FileHelperRun {
    bool finished = false; // false: it hung and was killed
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs ampa-file-helper in the test's environment. A step that blocks must fail the test rather
// than stall it, so the helper gets a bounded wait and is killed when it does not finish in it.
inline FileHelperRun runFileHelper(const QStringList &steps)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/ampa-file-helper", steps);
    helper.closeWriteChannel();
    FileHelperRun run;
    run.finished = helper.waitForFinished(30000);
    if (!run.finished) {
        helper.kill();
        helper.waitForFinished();
    }
    run.code = helper.exitCode();
    run.out = helper.readAllStandardOutput();
    run.err = helper.readAllStandardError();
    return run;
}
