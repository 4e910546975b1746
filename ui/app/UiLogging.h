#pragma once

#include <QLoggingCategory>

// The window program's own failures (a view that cannot be created, a tray that is missing) and,
// at the info level, its decisions on the tray icon and the low-space notification.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
