#include "Shell.h"
#include "TestHome.h"

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void missingExecutable()
    {
        const Engine::ShellResult result = Engine::shell("/nonexistent/ampa-tool", {"-x"});
        QCOMPARE(result.code, -1);
        QVERIFY(!result.out.isEmpty());
    }

    void relativeNameIsNotSearched() { QCOMPARE(Engine::shell("sh", {"-c", "true"}).code, -1); }

    void bothStreamsInOneText()
    {
        const auto result = Engine::shell("/bin/sh", {"-c", "echo out; echo err >&2; exit 3"});
        QCOMPARE(result.code, 3);
        QCOMPARE(result.out, "out\nerr\n");
    }

    void argumentsPassUnchanged()
    {
        const auto result =
            Engine::shell("/usr/bin/printf", {"[%s]", "two words", "$HOME", "*", "\"quoted\""});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, "[two words][$HOME][*][\"quoted\"]");
    }

    // More than a pipe holds: the output must be drained before the wait, or this never returns.
    void largeOutputDoesNotHang()
    {
        const auto result =
            Engine::shell("/bin/sh", {"-c", "head -c 3000000 /dev/zero | tr '\\0' x; echo"});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out.size(), 3000001);
        QVERIFY(result.out.endsWith("x\n"));
    }

    void invalidUtf8IsReplacedNotRejected()
    {
        const auto result = Engine::shell("/usr/bin/printf", {"ok \\377\\376 end\n"});
        QCOMPARE(result.code, 0);
        QVERIFY(result.out.startsWith("ok "));
        QVERIFY(result.out.endsWith(" end\n"));
        QVERIFY(result.out.contains(QChar::ReplacementCharacter));
    }

    void signalEndsWithItsNumber()
    {
        QCOMPARE(Engine::shell("/bin/sh", {"-c", "kill -TERM $$"}).code, 128 + 15);
    }

    void childReadsNoInput()
    {
        const auto result = Engine::shell("/bin/cat", {});
        QCOMPARE(result.code, 0);
        QCOMPARE(result.out, "");
    }
};

AMPA_TEST_MAIN(ShellTest)
#include "tst_shell.moc"
