#pragma once

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

#include <filesystem>

// Runs ampa-test-helper (beside the test) and returns what it printed; stops the test when it
// does not finish with exit code 0.
QByteArray runHelper(const QStringList &arguments);

// A chain of `levels` nested folders "d" from `top` down, each holding a 10-byte file "f". Made
// through descriptors, since the deepest paths are longer than PATH_MAX; stops the test when it
// cannot be made. Returns what the files allocate.
qint64 deepChain(const std::filesystem::path &top, int levels);
