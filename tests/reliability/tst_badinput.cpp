// Bad input never crashes and never widens what is removed: settings of the wrong type, a log
// that is huge, binary or not UTF-8, a process list near the kernel's limit, a looping "current"
// link, processes coming and going while /proc is read.

#include "ActivityLog.h"
#include "CodexReleases.h"
#include "FakeServices.h"
#include "ModelTesting.h"
#include "RunningApps.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "Text.h"
#include "TreeBuilder.h"
#include "TreeSize.h"

#include <QProcess>
#include <QRandomGenerator>

#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

class BadInputTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { storeSettings({}); }

    void settingsOfTheWrongType()
    {
        storeSettings({{"language", QStringList{"id", "en"}},
                       {"demo", QVariantMap{{"on", true}}},
                       {"demoPane", 42},
                       {"demoAutoClean", "soon"},
                       {"demoAsk", QStringList{"1"}},
                       {"viewMode", 3.5},
                       {"showMenuBar", "perhaps"},
                       {"appearance", QByteArray("\xff\xfe", 2)},
                       {"downloadsLayout", QVariantList{1, 2}}});
        QCOMPARE(bilingual("ya", "yes"), "yes");
        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        QCOMPARE(model.pane(), Model::Pane::cepat);
        QVERIFY(!model.busy()); // no automatic clean from a value that is not a number
        AMPA_WAIT_IDLE(model);
        model.showSettingsPage();
        QVERIFY(model.showSettings()); // anything but "sidebar" is the single page
    }

    // A gigabyte (sparse), or random bytes: the reader looks at the end only, and new lines
    // still come after it.
    void logThatIsHugeBinaryOrBroken()
    {
        const fs::path log = Engine::logPath();
        const auto readsThenWrites = [](const QString &line) {
            QVERIFY(Engine::logLines().size() <= 200);
            Engine::log(line);
            QVERIFY(!Engine::logLines().isEmpty());
            QVERIFY(Engine::logLines().first().endsWith(" " + line));
        };
        TreeBuilder::folder(log.parent_path());
        const int fd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        QVERIFY(fd >= 0);
        QVERIFY(ftruncate(fd, 1LL << 30) == 0);
        close(fd);
        readsThenWrites("after the hole");

        QByteArray binary(1 << 20, '\0');
        for (char &byte : binary)
            byte = static_cast<char>(QRandomGenerator::global()->generate());
        TreeBuilder::write(log, binary);
        readsThenWrites("still writing");
    }

    void longProcessListAndALoopingCurrent()
    {
        const fs::path root = TestHome::home() / ".codex/packages/standalone";
        for (const char *version : {"1.0", "2.0", "3.0", "4.0"})
            TreeBuilder::file(root / "releases" / version / "codex", 100);
        TreeBuilder::symlink("current", root / "current");
        QCOMPARE(Engine::codexOldReleases().size(), 2u);
        // A command line near the kernel's limit that names the oldest release at its end: it
        // stays.
        QStringList arguments{"-c", "echo ready; read line", "x"};
        for (int i = 0; i < 15; ++i)
            arguments << QString(100000, QLatin1Char('x'));
        arguments << QString::fromStdString((root / "releases/1.0/codex").native());
        QProcess user;
        user.start("/bin/sh", arguments);
        QVERIFY(user.waitForReadyRead());
        const std::vector<fs::path> result = Engine::codexOldReleases();
        user.kill();
        user.waitForFinished();
        QCOMPARE(result, std::vector<fs::path>{root / "releases/2.0"});
        fs::remove_all(TestHome::home() / ".codex");
    }

    // Files appear and vanish while a folder is measured: the sizes stay sane.
    void filesComingAndGoingDuringAScan()
    {
        const fs::path cache = TestHome::home() / ".cache/churn";
        TreeBuilder::folder(cache);
        std::atomic<bool> stop = false;
        std::thread churn([&] {
            for (int i = 0; !stop; ++i) {
                const fs::path dir = cache / ("d" + std::to_string(i % 7));
                fs::create_directories(dir);
                const fs::path file = dir / ("f" + std::to_string(i % 50));
                if (i % 3 == 0) {
                    std::error_code ignored;
                    fs::remove_all(dir, ignored);
                } else if (FILE *f = fopen(file.c_str(), "w")) {
                    fputs("churn", f);
                    fclose(f);
                }
            }
        });
        for (int i = 0; i < 300; ++i) {
            const qint64 bytes = Engine::size(cache);
            QVERIFY(bytes >= 0);
            QVERIFY(bytes < (qint64(7) * 50 * 64 * 1024));
        }
        stop = true;
        churn.join();
    }

    // Processes start and end while /proc is read: answers stay sane, nothing crashes.
    void processesComingAndGoing()
    {
        QProcess churn;
        churn.start("/bin/sh",
                    {"-c", "i=0; while [ $i -lt 400 ]; do /bin/true & i=$((i+1)); done; wait"});
        QVERIFY(churn.waitForStarted());
        for (int i = 0; i < 100 && churn.state() == QProcess::Running; ++i)
            QVERIFY(Engine::runningAppNames().size() < 100000);
        QVERIFY(churn.waitForFinished(60000));
    }
};

AMPA_TEST_MAIN(BadInputTest)
#include "tst_badinput.moc"
