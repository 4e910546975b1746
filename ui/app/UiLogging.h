#pragma once

#include <QLoggingCategory>

// The window program's own failures: a view that cannot be created, a tray that is missing.
Q_DECLARE_LOGGING_CATEGORY(lcUi)
