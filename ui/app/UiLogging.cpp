#include "UiLogging.h"

// Warnings by default; the rest on request, e.g. QT_LOGGING_RULES="ampa.*.info=true".
Q_LOGGING_CATEGORY(lcUi, "ampa.ui", QtWarningMsg)
