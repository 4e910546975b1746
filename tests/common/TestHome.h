#pragma once

#include <QCoreApplication>
#include <QTest>

#include <filesystem>

// A fresh temporary folder standing in for the user's home, made before the test touches anything
// that reads the environment. HOME, TMPDIR and the XDG_* variables point into it, so no test ever
// sees the real home folder, caches, settings, log or Trash. Nothing of the desktop session it was
// started from stays (session.env); the session bus is one that is not there, unless the test
// runs on a display and bus of its own (AMPA_TEST_OWN_DESKTOP). Removed with everything in it at
// exit.
class TestHome {
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    // The folder holding home/, tmp/, share/ and runtime/.
    static std::filesystem::path root();
    static std::filesystem::path home();
};

// Like QTEST_GUILESS_MAIN, with the temporary home set up first.
#define AMPA_TEST_MAIN(TestClass)                                                                  \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        TestHome testHome;                                                                         \
        QCoreApplication app(argc, argv);                                                          \
        TestClass test;                                                                            \
        return QTest::qExec(&test, argc, argv);                                                    \
    }
