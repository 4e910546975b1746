#pragma once

#include <QByteArray>
#include <QStringList>

// Runs ampa-test-helper (beside the test) and returns what it printed; stops the test when it
// does not finish with exit code 0.
QByteArray runHelper(const QStringList &arguments);
