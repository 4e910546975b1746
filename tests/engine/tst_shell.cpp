#include "Shell.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QDir>
#include <QScopeGuard>

#include <sys/stat.h>

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    // No search path: a name that is not absolute is not started either.
    void cannotStart()
    {
        const Engine::ShellResult missing = Engine::shell("/nonexistent/ampa-tool", {"-x"});
        QCOMPARE(missing.code, -1);
        QVERIFY(!missing.out.isEmpty());
        QCOMPARE(Engine::shell("sh", {"-c", "true"}).code, -1);
    }

    void runs_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("out");
        QTest::newRow("both streams in one text")
            << "/bin/sh" << QStringList{"-c", "echo out; echo err >&2; exit 3"} << 3
            << "out\nerr\n";
        QTest::newRow("arguments unchanged")
            << "/usr/bin/printf" << QStringList{"[%s]", "two words", "$HOME", "*", "\"quoted\""}
            << 0 << "[two words][$HOME][*][\"quoted\"]";
        // More than a pipe holds: the output must be drained before the wait, or this never
        // returns.
        QTest::newRow("large output")
            << "/bin/sh" << QStringList{"-c", "head -c 3000000 /dev/zero | tr '\\0' x; echo"} << 0
            << QString(3000000, QLatin1Char('x')) + "\n";
        QTest::newRow("invalid UTF-8 replaced")
            << "/usr/bin/printf" << QStringList{"ok \\377\\376 end\n"} << 0
            << QString("ok ") + QChar::ReplacementCharacter + QChar::ReplacementCharacter
                   + " end\n";
        QTest::newRow("ended by a signal")
            << "/bin/sh" << QStringList{"-c", "kill -TERM $$"} << 128 + 15 << QString();
        QTest::newRow("no input") << "/bin/cat" << QStringList() << 0 << QString();
    }

    void runs()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        QFETCH(int, code);
        QFETCH(QString, out);
        const Engine::ShellResult result = Engine::shell(program, arguments);
        QCOMPARE(result.code, code);
        QCOMPARE(result.out, out);
    }

    // An empty, "." or relative folder in PATH means the working folder or one below it: a
    // program planted there is never found, only the one in an absolute folder.
    void findProgramInAbsoluteFoldersOnly()
    {
        const std::filesystem::path root = TestHome::root();
        for (const std::filesystem::path &folder : {root, root / "bin", root / "rel"}) {
            TreeBuilder::write(folder / "ampa-probe", "#!/bin/sh\n");
            chmod((folder / "ampa-probe").c_str(), 0755);
        }
        const QByteArray path = qgetenv("PATH");
        const QString previous = QDir::currentPath();
        const auto restore = qScopeGuard([&] {
            qputenv("PATH", path);
            QDir::setCurrent(previous);
        });
        QVERIFY(QDir::setCurrent(QString::fromStdString(root.native())));

        for (const char *relative : {"", ":", ".", "./", "rel", "bin", "./rel", "rel/",
                                     "rel:", ":rel", "rel::.", "/nonexistent:bin"}) {
            qputenv("PATH", relative);
            QVERIFY2(Engine::findProgram("ampa-probe").isEmpty(), relative);
        }
        const QByteArray absolute = QByteArray::fromStdString((root / "bin").native());
        qputenv("PATH", "rel::.:bin:" + absolute);
        QCOMPARE(Engine::findProgram("ampa-probe"),
                 QString::fromStdString((root / "bin/ampa-probe").native()));
        QCOMPARE(Engine::findProgram("rel/ampa-probe"), QString());
    }
};

AMPA_TEST_MAIN(ShellTest)
#include "tst_shell.moc"
