#include "CacheTarget.h"
#include "Paths.h"
#include "TestHome.h"

#include <QSet>

namespace fs = std::filesystem;

namespace {

QStringList ids(const QList<CacheTarget> &targets)
{
    QStringList out;
    for (const CacheTarget &target : targets)
        out << target.id;
    return out;
}

const CacheTarget &byId(const QList<CacheTarget> &targets, const QString &id)
{
    for (const CacheTarget &target : targets) {
        if (target.id == id)
            return target;
    }
    qFatal("no target %s", qPrintable(id));
}

} // namespace

class CatalogueTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        qputenv("XDG_CACHE_HOME", (TestHome::home() / ".cache").c_str());
        qputenv("XDG_CONFIG_HOME", (TestHome::home() / ".config").c_str());
    }

    void elevenUniqueTargetsInOrder()
    {
        const QStringList expected{"codex", "arc", "comet", "chrome", "zoom", "zcode",
                                   "brew",  "npm", "pip",   "build",  "clang"};
        QCOMPARE(ids(quickTargets()), expected);
        QCOMPARE(ids(quickTargetsMac()), expected);
        QCOMPARE(QSet<QString>(expected.begin(), expected.end()).size(), expected.size());
    }

    // Only the browsers and the meeting program block; codex names an app without blocking.
    void blockersAndFlags()
    {
        for (const auto &targets : {quickTargets(), quickTargetsMac()}) {
            for (const CacheTarget &target : targets) {
                const bool blocks =
                    QStringList{"arc", "comet", "chrome", "zoom"}.contains(target.id);
                QCOMPARE(!target.blockers.isEmpty(), blocks);
                QCOMPARE(target.codexReleases, target.id == "codex");
                QCOMPARE(target.paths.empty(), target.id == "codex");
            }
            QCOMPARE(byId(targets, "codex").app, std::optional<QString>("Codex"));
            QCOMPARE(byId(targets, "chrome").blockers, QStringList{"Google Chrome"});
            QCOMPARE(byId(targets, "npm").app, std::nullopt);
        }
        QCOMPARE(byId(quickTargets(), "zoom").blockers, (QStringList{"Zoom", "Zoom Workplace"}));
        QCOMPARE(byId(quickTargetsMac(), "zoom").blockers, QStringList{"zoom.us"});
    }

    void linuxFoldersFollowTheXdgVariables()
    {
        const fs::path cache = TestHome::root() / "elsewhere/cache";
        const fs::path config = TestHome::root() / "elsewhere/config";
        qputenv("XDG_CACHE_HOME", cache.c_str());
        qputenv("XDG_CONFIG_HOME", config.c_str());
        const QList<CacheTarget> targets = quickTargets();

        QCOMPARE(userCacheDir().native(), cache.native() + "/");
        QCOMPARE(
            byId(targets, "chrome").paths,
            (std::vector<fs::path>{cache / "google-chrome",
                                   config / "google-chrome/Default/Service Worker/CacheStorage"}));
        QCOMPARE(byId(targets, "pip").paths, (std::vector<fs::path>{cache / "pip", cache / "uv"}));
        QCOMPARE(byId(targets, "clang").paths, std::vector<fs::path>{cache / "clang/ModuleCache"});
        QCOMPARE(byId(targets, "npm").paths, std::vector<fs::path>{"~/.npm/_cacache"});
    }

    // A relative value is not a valid XDG folder: the default under the home folder stands.
    void relativeOrMissingCacheVariable()
    {
        qputenv("XDG_CACHE_HOME", "relative/cache");
        QCOMPARE(userCacheDir().native(), (TestHome::home() / ".cache/").native());
        qunsetenv("XDG_CACHE_HOME");
        QCOMPARE(userCacheDir().native(), (TestHome::home() / ".cache/").native());
        QCOMPARE(byId(quickTargets(), "clang").paths,
                 std::vector<fs::path>{TestHome::home() / ".cache/clang/ModuleCache"});
    }

    // A base folder at or above the home would put the user's own folders among the targets
    // (~/pip, ~/uv, ~/Homebrew): it is refused, the default stands and one line says why.
    void baseFolderAtOrAboveTheHomeIsRefused_data()
    {
        QTest::addColumn<QByteArray>("value");
        const QByteArray home = TestHome::home().native().c_str();
        QTest::newRow("the home") << home;
        QTest::newRow("the home, with a slash") << home + "/";
        QTest::newRow("through dot-dot") << home + "/.cache/..";
        QTest::newRow("above the home") << QByteArray(TestHome::home().parent_path().c_str());
        QTest::newRow("root") << QByteArray("/");
        QTest::newRow("a link to the home") << QByteArray((TestHome::root() / "home-link").c_str());
        QTest::newRow("relative") << QByteArray("cache");
    }

    void baseFolderAtOrAboveTheHomeIsRefused()
    {
        QFETCH(QByteArray, value);
        std::error_code ignored;
        fs::create_directory_symlink(TestHome::home(), TestHome::root() / "home-link", ignored);
        qputenv("XDG_CACHE_HOME", value);
        qputenv("XDG_CONFIG_HOME", value);
        const fs::path home = TestHome::home();
        QCOMPARE(userCacheDir().native(), (home / ".cache/").native());
        QCOMPARE(userConfigDir(), home / ".config");
        QCOMPARE(byId(quickTargets(), "pip").paths,
                 (std::vector<fs::path>{home / ".cache/pip", home / ".cache/uv"}));
        const QStringList warnings = baseFolderWarnings();
        QCOMPARE(warnings.size(), 2);
        QVERIFY2(warnings.at(0).startsWith("XDG_CACHE_HOME"), qPrintable(warnings.at(0)));
        QVERIFY(warnings.at(1).startsWith("XDG_CONFIG_HOME"));
        qunsetenv("XDG_CACHE_HOME");
        qunsetenv("XDG_CONFIG_HOME");
        QCOMPARE(baseFolderWarnings(), QStringList());
    }

    // A folder inside the home, or anywhere else, is a fine base.
    void baseFolderBelowTheHomeIsUsed()
    {
        qputenv("XDG_CACHE_HOME", (TestHome::home() / "caches").c_str());
        QCOMPARE(userCacheDir().native(), (TestHome::home() / "caches/").native());
        QCOMPARE(baseFolderWarnings(), QStringList());
        qunsetenv("XDG_CACHE_HOME");
    }

    void macTableKeepsItsLibraryPaths()
    {
        const QList<CacheTarget> mac = quickTargetsMac();
        QCOMPARE(
            byId(mac, "arc").paths,
            (std::vector<fs::path>{"~/Library/Caches/Arc",
                                   "~/Library/Application Support/Arc/User Data/Default/Service "
                                   "Worker/CacheStorage"}));
        QCOMPARE(byId(mac, "zoom").paths, std::vector<fs::path>{"~/Library/Caches/us.zoom.xos"});
        QCOMPARE(byId(mac, "pip").paths,
                 (std::vector<fs::path>{"~/Library/Caches/pip", "~/.cache/uv"}));
        // Every other macOS path is written from the home folder.
        for (const CacheTarget &target : mac) {
            for (const fs::path &path : target.paths) {
                if (target.id != "clang")
                    QVERIFY2(path.native().starts_with("~/"), path.c_str());
            }
        }
    }
};

AMPA_TEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
