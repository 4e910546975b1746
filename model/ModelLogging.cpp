#include "ModelLogging.h"

// Warnings by default; the rest on request, e.g. QT_LOGGING_RULES="ampa.*.info=true".
Q_LOGGING_CATEGORY(lcModel, "ampa.model", QtWarningMsg)
