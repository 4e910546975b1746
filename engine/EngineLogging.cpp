#include "EngineLogging.h"

Q_LOGGING_CATEGORY(lcEngine, "ampa.engine")
