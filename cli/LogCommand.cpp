#include "ActivityLog.h"
#include "Commands.h"

#include <QTextStream>

int runLog()
{
    QTextStream out(stdout);
    for (const QString &line : Engine::logLines())
        out << line << '\n';
    return exitOk;
}
