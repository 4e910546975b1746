#include "Helper.h"

#include <QCoreApplication>
#include <QProcess>

QByteArray runHelper(const QStringList &arguments)
{
    QProcess helper;
    helper.start(QCoreApplication::applicationDirPath() + "/ampa-test-helper", arguments);
    if (!helper.waitForFinished(120000) || helper.exitCode() != 0)
        qFatal("ampa-test-helper %s failed: %s", qPrintable(arguments.join(' ')),
               helper.readAllStandardError().constData());
    return helper.readAllStandardOutput();
}
