#include "EngineLogging.h"

// Warnings by default; the rest on request, e.g. QT_LOGGING_RULES="ampa.*.info=true".
Q_LOGGING_CATEGORY(lcEngine, "ampa.engine", QtWarningMsg)
