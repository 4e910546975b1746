#pragma once

#include <QSettings>

// Ampa's stored settings: native format in $XDG_CONFIG_HOME/Ampa/Ampa.conf (default
// ~/.config/Ampa/Ampa.conf), the folder read afresh at every call like every other XDG folder
// Ampa uses. Open them where a value is needed and let them go: values are read where used, never
// cached, so a change made elsewhere is seen at the next read. (QSettings cannot be copied or
// moved; the returned object is constructed in place.)
//
// A settings file that exists and is not a regular file once links are followed (a FIFO would
// block QSettings for ever) is never opened: the settings returned then read as defaults, saving
// them fails (status AccessError), nothing is created or removed anywhere, and the first such
// call of the process gives a warning (qWarning). A link to a regular file is used as usual.
QSettings ampaSettings();
