#pragma once

#include <QLoggingCategory>

// The desktop services' failures that the user sees only as a neutral result.
Q_DECLARE_LOGGING_CATEGORY(lcPlatform)
