#pragma once

#include <QString>
#include <QStringList>

namespace Engine {

struct ShellResult {
    int code = -1;
    QString out;
};

// Runs the executable at an absolute path with the arguments unchanged (no search path, no
// interpreter) and returns its exit status with everything it wrote to standard output and
// standard error, interleaved in one text, decoded as UTF-8 with invalid bytes replaced and not
// trimmed. A child ended by a signal reports 128 + the signal number. When it cannot be started:
// code -1 and the system's description of the error. Standard input is /dev/null; environment and
// working folder are inherited. No time-out: blocks until the child closes its output and exits.
ShellResult shell(const QString &executable, const QStringList &arguments);

// The program `name` as found in the absolute folders of $PATH, in order: a regular file (a link
// to one counts) that may be executed. Empty, relative and "." elements are skipped, so a
// program planted in the working folder is never run; a name holding '/' is not looked up.
// Empty when there is none.
QString findProgram(const QString &name);

} // namespace Engine
