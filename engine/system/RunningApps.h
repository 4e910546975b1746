#pragma once

#include <QSet>
#include <QString>

#include <string>
#include <vector>

namespace Engine {

// The names (untranslated Name=) of the installed applications that the current user is running.
// A process counts for an entry when its executable is the program the entry starts (links
// resolved), or lies in that program's own application folder, as browsers' launcher scripts
// start a binary beside them. A shared folder such as /usr/bin or any $PATH folder never counts as
// an application folder. Processes with no entry are left out. Cheap enough for the main thread.
QSet<QString> runningAppNames();

// The process ids (as /proc names them) of the current user's processes.
std::vector<std::string> userProcessIds();

} // namespace Engine
