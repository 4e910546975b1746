#include "ActivityLog.h"
#include "Commands.h"
#include "TerminalText.h"

#include <QTextStream>

int runLog()
{
    QTextStream out(stdout);
    for (const QString &line : Engine::logLines())
        out << printable(line) << '\n';
    return exitOk;
}
