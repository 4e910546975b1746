#pragma once

#include <QByteArray>
#include <QStringList>
#include <QtGlobal>

#include <filesystem>

// Runs ampa-test-helper (beside the test) and returns what it printed; stops the test when it
// does not finish with exit code 0.
QByteArray runHelper(const QStringList &arguments);

// What ampa-test-helper did with its steps (see test_helper_main.cpp).
struct HelperRun {
    bool finished = false; // false: it hung and was killed
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the steps in ampa-test-helper, in the test's environment. A step that blocks must fail the
// test rather than stall it, so the helper is killed when it does not finish in 30 seconds.
HelperRun runSteps(const QStringList &steps);

// A chain of `levels` nested folders "d" from `top` down, each holding a 10-byte file "f". Made
// through descriptors, since the deepest paths are longer than PATH_MAX; stops the test when it
// cannot be made. Returns what the files and the folders allocate.
qint64 deepChain(const std::filesystem::path &top, int levels);
