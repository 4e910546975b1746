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
