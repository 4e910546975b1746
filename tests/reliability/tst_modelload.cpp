// A thousand scans, quick cleans, Trash moves and advanced actions fired at the model in random
// order, without waiting: afterwards its flags are down, every quick clean left its log line,
// nothing outside the caches changed, and nothing crashed.

#include "FakeServices.h"
#include "ModelTesting.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QRandomGenerator>

#include <fcntl.h>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

class ModelLoadTest : public QObject {
    Q_OBJECT

private slots:
    void thousandCallsInRandomOrder()
    {
        const quint64 seed = QRandomGenerator::global()->generate64();
        std::mt19937_64 random(seed);
        const fs::path home = TestHome::home();
        TreeBuilder::file(home / "Documents/keep.txt", 1000);
        const auto before = TreeBuilder::manifest(home / "Documents");
        // New cache files and downloads, written while cleans may be removing their folders:
        // a file that cannot be made just now is skipped.
        auto put = [](const fs::path &path, qint64 bytes) {
            std::error_code error;
            fs::create_directories(path.parent_path(), error);
            const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd >= 0) {
                const QByteArray data(bytes, 'x');
                [[maybe_unused]] const auto written = write(fd, data.constData(), data.size());
                close(fd);
            }
        };
        auto reseed = [&] {
            for (int i = 0; i < 5; ++i)
                put(home / ".cache/pip" / std::to_string(random() % 50), 2000);
            put(home / "Downloads" / ("d" + std::to_string(random() % 20)), 3000);
        };
        reseed();
        clearLog();

        FakeServices fakes;
        Model model(fakes.services());
        model.start();
        int cleans = 0;
        for (int call = 0; call < 1000; ++call) {
            fakes.confirmation->answer = random() % 2 == 0;
            switch (random() % 6) {
            case 0:
                model.refresh();
                break;
            case 1:
                model.cleanQuick();
                ++cleans;
                break;
            case 2:
                if (!model.downloads().empty())
                    model.trashItem(model.downloads().front().id().toString());
                break;
            case 3:
                model.activateAdvItem("trash");
                break;
            case 4:
                reseed();
                break;
            default:
                QCoreApplication::processEvents();
                break;
            }
        }
        QTRY_VERIFY_WITH_TIMEOUT(!model.busy() && !model.scanning() && !model.scanningAdv(), 60000);
        const QByteArray where = "seed " + QByteArray::number(seed);
        // Overlapping cleans share one busy flag, which the first to finish lowers: the others
        // may still be at work, so wait for their lines rather than for the flag.
        QTRY_VERIFY2_WITH_TIMEOUT(
            logMessages().filter(QRegularExpression("^cepat: dibebaskan ")).size() == cleans,
            where.constData(), 60000);
        AMPA_WAIT_IDLE(model);
        QVERIFY2(TreeBuilder::manifest(home / "Documents") == before, where.constData());
    }
};

AMPA_TEST_MAIN(ModelLoadTest)
#include "tst_modelload.moc"
