// ampa-render: draws every pane off-screen from demo data, in English and Indonesian, light and
// dark, and saves each as a PNG for people to look at. Fails when a view prints a warning or
// draws (next to) nothing.
//
//   ampa-render OUTPUT-FOLDER

#include "ActivityLog.h"
#include "Appearance.h"
#include "SpaceHistory.h"
#include "SpaceTree.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"
#include "ViewHost.h"

#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSet>
#include <QStorageInfo>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

struct PaneShot {
    const char *name;
    const char *qml; // the pane's element, filling the window
    int width;
    int height;         // 0: the pane's own height
    const char *layout; // the large items' arrangement, one setting for all panes
};

const PaneShot panes[] = {
    {"quick", "QuickPane {}", 640, 0, "grid"},
    {"advanced", "AdvancedPane {}", 640, 0, "grid"},
    {"developer", "DevCachesPane {}", 640, 0, "grid"},
    {"projects", "ProjectsPane {}", 640, 0, "grid"},
    {"space", "SpacePane {}", 760, 0, "grid"},
    {"overtime", "SpaceOverTime {}", 720, 0, "grid"},
    {"space-grew", "SpacePane { shown: \"grew\" }", 760, 0, "grid"},
    {"downloads", "DownloadsPane {}", 720, 0, "grid"},
    {"apps", "DownloadsPane { apps: true }", 720, 0, "grid"},
    {"log", "LogPane {}", 640, 300, "grid"},
    {"settings", "SettingsView {}", 640, 0, "grid"},
    {"panel", "MenuBarPanel {}", 320, 0, "grid"},
    {"downloads-list", "DownloadsPane {}", 720, 0, "list"},
};

// Whether the image holds a drawing: several colours, and more than a sliver off the background.
bool drawsSomething(const QImage &image)
{
    QSet<QRgb> colours;
    const QRgb background = image.pixel(0, 0);
    qint64 differing = 0;
    for (int y = 0; y < image.height(); y += 2) {
        for (int x = 0; x < image.width(); x += 2) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            differing += pixel != background;
        }
    }
    const qint64 sampled = qint64(image.width() / 2) * (image.height() / 2);
    return colours.size() > 20 && differing * 100 > sampled;
}

} // namespace

int main(int argc, char **argv)
{
    TestHome home;
    // The system's MIME database and icons, read only; the home stays the test's.
    qputenv("XDG_DATA_DIRS", qgetenv("XDG_DATA_DIRS") + ":/usr/local/share:/usr/share");
    qputenv("QT_QUICK_BACKEND", "software");
    ViewHost host;
    QGuiApplication app(argc, argv);
    const QString output = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(output);

    storeSettings({{"demo", true}, {"devKeep", QStringList{"jetbrains"}}});
    // Two cleans of weeks past, for the space over time, before the log's newest lines.
    {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const auto stamp = [](qint64 time) {
            return QDateTime::fromSecsSinceEpoch(time, Qt::UTC).toString(Qt::ISODate).toUtf8();
        };
        TreeBuilder::write(Engine::logPath(), stamp(now - 50 * 86400 - 7200)
                                                  + " pengembang: cargo: 20 GB freed.\n"
                                                  + stamp(now - 12 * 86400 - 7200)
                                                  + " proyek: webapp: 35 GB freed.\n");
    }
    Engine::log("cepat: dibebaskan 2.4 GB");
    Engine::log("lanjutan: playwright: 201 MB freed.");
    Engine::log("lanjutan: trash /home/user/Downloads/Budget 2026.xlsx");

    // A home for the space map to walk: caches, a project, large files, a tagged cache.
    {
        using TreeBuilder::file;
        const std::filesystem::path user = TestHome::home();
        file(user / ".cache/pip/http/wheels.bin", 9'000'000);
        file(user / ".cache/thumbnails/large/a.png", 1'500'000);
        file(user / ".npm/_cacache/content/blob", 4'000'000);
        file(user / "src/webapp/node_modules/react/index.js", 6'000'000);
        TreeBuilder::write(user / "src/webapp/package.json", "{}");
        TreeBuilder::write(user / "src/webapp/package-lock.json", "{}");
        file(user / "src/webapp/src/main.js", 40'000);
        file(user / "Videos/holiday.mp4", 18'000'000);
        file(user / "Documents/thesis.pdf", 2'500'000);
        file(user / "Documents/notes.txt", 9'000);
        file(user / "Downloads/debian.iso", 7'000'000);
        file(user / ".tool/build-cache/objects.bin", 3'000'000);
        TreeBuilder::write(user / ".tool/build-cache/CACHEDIR.TAG",
                           "Signature: 8a477f597d28d172789f06886806bc55\n");
    }
    // Ages for the map's list, as a home has them: each item changed some days ago.
    {
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        for (const auto &item : std::filesystem::recursive_directory_iterator(TestHome::home())) {
            const qint64 days = qint64(std::hash<std::string>{}(item.path().native()) % 400);
            const struct timespec times[2] = {{now - days * 86400, 0}, {now - days * 86400, 0}};
            utimensat(AT_FDCWD, item.path().c_str(), times, AT_SYMLINK_NOFOLLOW);
        }
    }
    // A history of daily walks over three months, until the walk of three days ago below: the
    // disk fills towards what it holds now, two cleans give some back.
    {
        Engine::SpaceTree tree(TestHome::home());
        Engine::SpaceHistory history;
        const QStorageInfo volume(QString::fromStdString(TestHome::home().native()));
        if (!tree.walk({}) || !history.usable() || volume.bytesTotal() <= 0) {
            std::fprintf(stderr, "the space history could not be made\n");
            return 1;
        }
        const qint64 now = QDateTime::currentSecsSinceEpoch();
        const qint64 total = volume.bytesTotal();
        const qint64 usedNow = total - volume.bytesAvailable();
        for (qint64 daysAgo = 89; daysAgo >= 4; --daysAgo) {
            const qint64 used = usedNow - daysAgo * total / 300 + (daysAgo >= 12 ? total / 14 : 0)
                                + (daysAgo >= 50 ? total / 25 : 0);
            const qint64 shown = std::clamp(used, total / 20, total);
            history.record(tree, now - daysAgo * 86400, total - shown, total);
        }
    }
    // A walk of three days ago, before the video, the build and the cache grew: the map has
    // growth to show and what grew has folders to list.
    {
        Engine::SpaceTree before(TestHome::home());
        Engine::SpaceHistory history;
        if (!before.walk({})
            || !history.record(before, QDateTime::currentSecsSinceEpoch() - 3 * 86400, -1, -1)) {
            std::fprintf(stderr, "the walk of three days ago was not recorded\n");
            return 1;
        }
        using TreeBuilder::file;
        const std::filesystem::path user = TestHome::home();
        file(user / "Videos/holiday-2.mp4", 12'000'000);
        file(user / "src/webapp/node_modules/vite/dist.js", 5'000'000);
        file(user / ".cache/pip/http/more-wheels.bin", 3'000'000);
        std::filesystem::remove(user / "Downloads/debian.iso");
    }
    Model model;

    model.start();
    model.space()->start();
    if (!QTest::qWaitFor([&model] { return !model.space()->walking(); }, 30000)) {
        std::fprintf(stderr, "the space map's walk did not end\n");
        return 1;
    }
    QQmlEngine engine;
    ViewHost::prepare(engine, model);
    // Importing the module once registers its types.
    QQmlComponent importer(&engine);
    importer.setData("import Ampa\nimport QtQml\nQtObject {}\n", QUrl("qrc:/render/import.qml"));
    std::unique_ptr<QObject> imported(importer.create());
    Settings &settings = Settings::instance();
    auto *appearance =
        engine.singletonInstance<Appearance *>(qmlTypeId("Ampa", 1, 0, "Appearance"));
    if (!appearance) {
        std::fprintf(stderr, "the Ampa module's Appearance is missing\n");
        return 1;
    }

    int failures = 0;
    for (const char *language : {"en", "id"})
        for (const char *scheme : {"terang", "gelap"})
            for (const char *layout : {"grid", "list"}) {
                settings.setLanguage(language);
                settings.setAppearance(scheme);
                settings.setDownloadsLayout(layout);
                appearance->applyAppearance(scheme);

                std::vector<std::unique_ptr<QQuickWindow>> windows;
                std::vector<const PaneShot *> shown;
                for (const PaneShot &pane : panes) {
                    if (QLatin1String(pane.layout) != QLatin1String(layout))
                        continue;
                    QQmlComponent component(&engine);
                    component.setData(QByteArray("import QtQuick\nimport Ampa\nRectangle {\n"
                                                 "    color: Theme.window\n    ")
                                          + pane.qml + "\n}\n",
                                      QUrl("qrc:/render/" + QString(pane.name) + ".qml"));
                    auto *root = qobject_cast<QQuickItem *>(component.create());
                    if (!root) {
                        std::fprintf(stderr, "%s: %s\n", pane.name,
                                     qPrintable(component.errorString()));
                        ++failures;
                        continue;
                    }
                    auto window = std::make_unique<QQuickWindow>();
                    root->setParentItem(window->contentItem());
                    QQuickItem *view = root->childItems().value(0);
                    const int height = pane.height ? pane.height : int(view->implicitHeight());
                    window->resize(pane.width, std::max(height, 120));
                    root->setSize(window->size());
                    view->setSize(window->size());
                    window->show();
                    windows.push_back(std::move(window));
                    shown.push_back(&pane);
                }
                // Let the rings grow and the layouts settle, then fit each window to its pane.
                QTest::qWait(1200);
                for (std::size_t i = 0; i < windows.size(); ++i) {
                    QQuickItem *view = windows[i]->contentItem()->childItems().value(0);
                    QQuickItem *pane = view ? view->childItems().value(0) : nullptr;
                    if (pane && shown[i]->height == 0) {
                        windows[i]->resize(shown[i]->width,
                                           std::max(int(pane->implicitHeight()), 120));
                        view->setSize(windows[i]->size());
                        pane->setSize(windows[i]->size());
                    }
                }
                QTest::qWait(300);

                for (std::size_t i = 0; i < windows.size(); ++i) {
                    const QImage image = windows[i]->grabWindow();
                    const QString file = QString("%1/%2-%3-%4.png")
                                             .arg(output, shown[i]->name, language,
                                                  QString(scheme) == "gelap" ? "dark" : "light");
                    image.save(file);
                    if (!drawsSomething(image)) {
                        std::fprintf(stderr, "%s draws next to nothing\n", qPrintable(file));
                        ++failures;
                    }
                }
            }
    for (const QString &warning : ViewHost::takeWarnings()) {
        std::fprintf(stderr, "warning: %s\n", qPrintable(warning));
        ++failures;
    }
    std::printf("%s: %d failures\n", qPrintable(output), failures);
    return failures == 0 ? 0 : 1;
}
