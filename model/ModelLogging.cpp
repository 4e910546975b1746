#include "ModelLogging.h"

Q_LOGGING_CATEGORY(lcModel, "ampa.model")
