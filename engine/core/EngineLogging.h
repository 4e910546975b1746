#pragma once

#include <QLoggingCategory>

// Where the engine turns a failure into a neutral value (an unreadable folder measured as 0, a
// process table that cannot be read): QT_LOGGING_RULES="ampa.*=true" shows why.
Q_DECLARE_LOGGING_CATEGORY(lcEngine)
