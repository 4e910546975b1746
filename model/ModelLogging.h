#pragma once

#include <QLoggingCategory>

// What an action ended in, for a user's report: the failures the views show as one sentence.
Q_DECLARE_LOGGING_CATEGORY(lcModel)
