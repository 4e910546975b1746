#include "CacheTarget.h"
#include "EngineWords.h"
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

    // The ids are stable keys (settings, ampa-cli's JSON), each once. Only the codex target
    // finds its folders at clean time. A target that stands for an application and has folders
    // of its own waits while that application runs; one that stands for none cannot.
    void targetsAreWellFormed()
    {
        const QList<CacheTarget> targets = quickTargets();
        const QStringList here = ids(targets);
        QCOMPARE(QSet<QString>(here.begin(), here.end()).size(), here.size());
        for (const CacheTarget &target : targets) {
            QCOMPARE(target.paths.empty(), target.codexReleases);
            QVERIFY2(target.blockers.isEmpty() == (!target.app || target.codexReleases),
                     qPrintable(target.id));
        }
    }

    // A usable base folder, or none: the targets' folders follow it.
    void usableBaseFolders_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("cache");
        QTest::addColumn<QByteArray>("config");
        const QByteArray home = TestHome::home().c_str();
        const QByteArray elsewhere = (TestHome::root() / "elsewhere").c_str();
        QTest::newRow("unset") << QByteArray() << home + "/.cache" << home + "/.config";
        QTest::newRow("inside the home") << home + "/mine" << home + "/mine" << home + "/mine";
        QTest::newRow("elsewhere") << elsewhere << elsewhere << elsewhere;
    }

    void usableBaseFolders()
    {
        QFETCH(QByteArray, value);
        QFETCH(QByteArray, cache);
        QFETCH(QByteArray, config);
        for (const char *variable : {"XDG_CACHE_HOME", "XDG_CONFIG_HOME"}) {
            if (value.isNull())
                qunsetenv(variable);
            else
                qputenv(variable, value);
        }
        const fs::path cacheDir = cache.toStdString();
        const fs::path configDir = config.toStdString();
        const QList<CacheTarget> targets = quickTargets();
        QCOMPARE(userCacheDir().native(), cacheDir.native() + "/");
        QCOMPARE(userConfigDir(), configDir);
        QCOMPARE(byId(targets, "chrome").paths,
                 (std::vector<fs::path>{
                     cacheDir / "google-chrome",
                     configDir / "google-chrome/Default/Service Worker/CacheStorage"}));
        QCOMPARE(byId(targets, "pip").paths,
                 (std::vector<fs::path>{cacheDir / "pip", cacheDir / "uv"}));
        QCOMPARE(byId(targets, "clang").paths,
                 std::vector<fs::path>{cacheDir / "clang/ModuleCache"});
        QCOMPARE(byId(targets, "npm").paths, std::vector<fs::path>{"~/.npm/_cacache"});
        QCOMPARE(baseFolderWarnings(), QStringList());
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
};

AMPA_TEST_MAIN(CatalogueTest)
#include "tst_catalogue.moc"
