#include "CacheTarget.h"
#include "DevCacheWords.h"
#include "EngineWords.h"
#include "HistoryWords.h"
#include "ProjectWords.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "Text.h"

#include <QLocale>
#include <QMetaEnum>

namespace {

void storeLanguage(const QVariant &value)
{
    storeSettings(value.isValid() ? QVariantMap{{"language", value}} : QVariantMap{});
}

} // namespace

class TextTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void cleanup() { storeLanguage({}); }

    // Growth is signed with a true minus, and its day is named as near as it lies.
    void growthSince_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QDateTime>("then");
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        const auto at = [](int y, int m, int d, int h = 12, int min = 0) {
            return QDateTime(QDate(y, m, d), QTime(h, min));
        };
        QTest::newRow("same day") << "en" << at(2026, 12, 9, 14, 5) << qint64(0)
                                  << "no change since 14:05";
        QTest::newRow("same day, id")
            << "id" << at(2026, 12, 9, 14, 5) << qint64(0) << "tetap sejak pukul 14.05";
        QTest::newRow("yesterday") << "en" << at(2026, 12, 8, 23, 59) << qint64(3'200'000'000)
                                   << "+3.2 GB since yesterday";
        QTest::newRow("in the week") << "en" << at(2026, 12, 6) << qint64(-1'100'000'000)
                                     << QString(QChar(0x2212)) + "1.1 GB since Sunday";
        QTest::newRow("in the week, id")
            << "id" << at(2026, 12, 6) << qint64(1'100'000'000) << "+1.1 GB sejak Minggu";
        QTest::newRow("a week ago")
            << "en" << at(2026, 12, 2) << qint64(1) << "+1 byte since 2 Dec";
        QTest::newRow("this year, id")
            << "id" << at(2026, 8, 3) << qint64(1) << "+1 byte sejak 3 Agu";
        QTest::newRow("last year")
            << "en" << at(2025, 11, 3) << qint64(1) << "+1 byte since 3 Nov 2025";
    }
    void growthSince()
    {
        QFETCH(QString, language);
        QFETCH(QDateTime, then);
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        storeLanguage(language);
        const qint64 now = QDateTime(QDate(2026, 12, 9), QTime(15, 0)).toSecsSinceEpoch();
        QCOMPARE(grownSinceText(bytes, then.toSecsSinceEpoch(), now), expected);
    }

    void languagePicksThePair_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const QVariant &stored, const char *expected) {
            QTest::newRow(name) << stored << QString(expected);
        };
        row("missing", QVariant(), "English");
        row("id", "id", "Indonesia");
        row("en", "en", "English");
        row("empty", "", "English");
        row("upper case", "ID", "English");
        row("trailing space", "id ", "English");
        row("old code", "in", "English");
    }
    void languagePicksThePair()
    {
        QFETCH(QVariant, stored);
        QFETCH(QString, expected);
        storeLanguage(stored);
        QCOMPARE(bilingual("Indonesia", "English"), expected);
    }

    // A change made by the settings view must show at the very next call, catalogue included.
    void languageChangeIsSeenAtOnce()
    {
        storeLanguage("en");
        QCOMPARE(bilingual("ya", "yes"), "yes");
        const QList<CacheTarget> english = quickTargets();

        storeLanguage("id");
        QCOMPARE(bilingual("ya", "yes"), "ya");
        const QList<CacheTarget> indonesian = quickTargets();

        QCOMPARE(english.size(), indonesian.size());
        QCOMPARE(quickTargetName(english.at(0).id), "Versi lama Codex");
        QCOMPARE(quickTargetNote(indonesian.at(8).id), "Unduhan paket Python");
        storeLanguage("en");
        QCOMPARE(quickTargetName(english.at(0).id), "Old Codex versions");
        for (qsizetype i = 0; i < english.size(); ++i) {
            QCOMPARE(indonesian.at(i).id, english.at(i).id);
            QCOMPARE(indonesian.at(i).icon, english.at(i).icon);
            QCOMPARE(indonesian.at(i).paths, english.at(i).paths);
            QCOMPARE(indonesian.at(i).blockers, english.at(i).blockers);
        }
    }

    // Every target of the catalogue has its name and note in both languages, and they differ.
    void everyTargetIsNamedInBothLanguages()
    {
        for (const CacheTarget &target : quickTargets()) {
            storeLanguage("id");
            const QString name = quickTargetName(target.id);
            const QString note = quickTargetNote(target.id);
            storeLanguage("en");
            QVERIFY2(!name.isEmpty() && !note.isEmpty(), qPrintable(target.id));
            QVERIFY2(quickTargetName(target.id) != name, qPrintable(target.id));
            QVERIFY2(quickTargetNote(target.id) != note, qPrintable(target.id));
        }
        QCOMPARE(quickTargetName("no-such-target"), QString());
        QCOMPARE(quickTargetName("codex.note"), QString());
    }

    // A developer cache is named by its id: the catalogue's own entries by the table, the
    // entries made for what was found by what the id holds.
    void developerCacheNames_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("indonesian");
        QTest::addColumn<QString>("english");
        const auto row = [](const char *id, const char *indonesian, const char *english) {
            QTest::newRow(id) << QString(id) << QString::fromUtf8(indonesian)
                              << QString::fromUtf8(english);
        };
        row("cargo", "Registry Cargo", "Cargo registry");
        row("ccache", "ccache", "ccache");
        row("flatpak:org.gimp.GIMP", "org.gimp.GIMP (Flatpak)", "org.gimp.GIMP (Flatpak)");
        row("snap:firefox", "firefox (Snap)", "firefox (Snap)");
        // Bytes that are not UTF-8 show as one replacement each.
        row("cachedir:.cache/odd%20name%FF", "~/.cache/odd name\uFFFD", "~/.cache/odd name\uFFFD");
        row("cachedir:/srv/cache", "/srv/cache", "/srv/cache");
        row("no-such-cache", "", "");
        row("flatpak:", "", "");
        row("cachedir:", "", "");
    }
    void developerCacheNames()
    {
        QFETCH(QString, id);
        QFETCH(QString, indonesian);
        QFETCH(QString, english);
        storeLanguage("id");
        QCOMPARE(devCacheName(id), indonesian);
        storeLanguage("en");
        QCOMPARE(devCacheName(id), english);
    }

    // What a choice loses is said in full; an entry that is not a choice loses nothing.
    void developerCacheNotesAndLosses()
    {
        storeLanguage("id");
        QCOMPARE(devCacheNote("maven"), "Unduhan dan artefak mvn install");
        QCOMPARE(devCacheLost("maven"), "Artefak yang dipasang dengan mvn install tidak bisa "
                                        "diunduh ulang: build ulang proyeknya.");
        storeLanguage("en");
        QCOMPARE(devCacheNote("maven"), "Downloads and mvn install artifacts");
        QCOMPARE(devCacheLost("cachedir:.cache/x"),
                 "All it holds is lost. The program that owns it has to make it again, and Ampa "
                 "does not know which program that is or how long it takes.");
        QCOMPARE(devCacheLost("ccache"), QString());
    }

    // Why a project's artifact is not offered, with the file that shows it where there is one;
    // each reason reads as its own text in both languages.
    void withheldArtifacts_data()
    {
        using Why = Engine::Withheld::Why;
        QTest::addColumn<Engine::Withheld>("withheld");
        QTest::addColumn<QString>("indonesian");
        QTest::addColumn<QString>("english");
        const auto row = [](const char *name, Engine::Withheld withheld, const char *indonesian,
                            const char *english) {
            QTest::newRow(name) << withheld << QString::fromUtf8(indonesian)
                                << QString::fromUtf8(english);
        };
        row("offered", {}, "", "");
        row("a repository", {Why::holdsRepository},
            "berisi repositori (.git), mungkin dengan pekerjaan yang belum di-commit",
            "holds a repository (.git), perhaps with work not committed");
        row("not the build's", {Why::notMadeByBuild, "docs/NOTES.md"},
            // The file's name set apart, so that its direction stays its own.
            "berisi \u2068docs/NOTES.md\u2069, yang tidak dibuat CMake",
            "holds \u2068docs/NOTES.md\u2069, which CMake did not make");
        row("not ignored", {Why::notIgnored, "notes.txt"},
            "berisi \u2068notes.txt\u2069, yang tidak dilacak dan tidak diabaikan repositorinya",
            "holds \u2068notes.txt\u2069, which its repository neither tracks nor ignores");
    }
    void withheldArtifacts()
    {
        QFETCH(Engine::Withheld, withheld);
        QFETCH(QString, indonesian);
        QFETCH(QString, english);
        storeLanguage("id");
        QCOMPARE(withheldText(withheld), indonesian);
        storeLanguage("en");
        QCOMPARE(withheldText(withheld), english);
    }

    void everyWithheldReasonHasItsOwnText()
    {
        const QMetaEnum whys = QMetaEnum::fromType<Engine::Withheld::Why>();
        for (const char *language : {"id", "en"}) {
            storeLanguage(language);
            QSet<QString> texts;
            for (int w = 0; w < whys.keyCount(); ++w)
                texts << withheldText({Engine::Withheld::Why(whys.value(w)), "x"});
            QCOMPARE(texts.size(), whys.keyCount()); // "none" reads as the one empty text
            QVERIFY(texts.contains(QString()));
        }
    }

    // What the engine returns as data reads the same, byte for byte, as when the engine made it:
    // the texts that carry a value of their own, and one plain refusal.
    void engineResultsReadInTheLanguageOfTheMoment_data()
    {
        using Engine::Failure;
        using Why = Engine::Refusal::Why;
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<QString>("indonesian");
        QTest::addColumn<QString>("english");
        const auto row = [](const char *name, Failure failure, const char *id, const char *en) {
            QTest::newRow(name) << failure << QString(id) << QString(en);
        };
        const auto refused = [](Why why, std::filesystem::path to = {}) {
            return Failure{Failure::Kind::refused, 0, "/x", Engine::Refusal{why, std::move(to)}};
        };
        row("exit status", {Failure::Kind::commandFailed, 3, "/x", {}},
            "/x: berakhir dengan status 3", "/x: ended with status 3");
        row("not started", {Failure::Kind::commandFailed, -1, "/x", {}},
            "/x: tidak bisa dijalankan", "/x: could not be started");
        row("link", refused(Why::linkTo, "/y"), "/x: tautan ke /y, tidak disentuh",
            "/x: is a link to /y and was left alone");
        row("outside", refused(Why::outside), "/x: di luar folder yang dibersihkan, tidak disentuh",
            "/x: is outside the folders Ampa cleans and was left alone");
    }
    void engineResultsReadInTheLanguageOfTheMoment()
    {
        QFETCH(Engine::Failure, failure);
        QFETCH(QString, indonesian);
        QFETCH(QString, english);
        storeLanguage("id");
        QCOMPARE(failure.text(), indonesian);
        storeLanguage("en");
        QCOMPARE(failure.text(), english);
    }

    // Every kind of failure and every reason for a refusal reads as a text of its own in both
    // languages: none blank, none said as another's (the system's own, each error number's).
    void everyReasonHasItsOwnText()
    {
        using Engine::Failure;
        const QMetaEnum kinds = QMetaEnum::fromType<Failure::Kind>();
        const QMetaEnum whys = QMetaEnum::fromType<Engine::Refusal::Why>();
        for (const char *language : {"id", "en"}) {
            storeLanguage(language);
            QSet<QString> byKind;
            QSet<QString> byWhy;
            for (int k = 0; k < kinds.keyCount(); ++k)
                byKind << Failure{Failure::Kind(kinds.value(k)), k + 1, "/x", {}}.text();
            for (int w = 0; w < whys.keyCount(); ++w)
                byWhy << Failure{Failure::Kind::refused, 0, "/x",
                                 Engine::Refusal{Engine::Refusal::Why(whys.value(w)), "/y"}}
                             .text();
            QCOMPARE(byKind.size(), kinds.keyCount());
            QCOMPARE(byWhy.size(), whys.keyCount());
            QVERIFY(!byKind.contains("/x: ") && !byWhy.contains("/x: "));
        }
    }

    // A refused base folder variable says which, why, and what is used instead.
    void refusedBaseFolderReadsWhole()
    {
        const BaseRefusal refusal{BaseRefusal::Why::notAbsolute, "XDG_CACHE_HOME", "cache",
                                  "/h/.cache"};
        storeLanguage("id");
        QCOMPARE(baseRefusalText(refusal),
                 "XDG_CACHE_HOME (cache) tidak dipakai karena bukan path absolut; yang dipakai "
                 "/h/.cache.");
        storeLanguage("en");
        QCOMPARE(baseRefusalText(refusal),
                 "XDG_CACHE_HOME (cache) is not used because it is not an absolute path; "
                 "/h/.cache is used instead.");
    }

    // Units and numbers follow the locale, never the interface language.
    void fmtBoundaries_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, qint64 bytes, const char *expected,
                            const char *locale = "en_US") {
            QTest::newRow(name) << bytes << QString(locale) << QString(expected);
        };
        row("negative", -5, "0 MB");
        row("zero", 0, "0 MB");
        row("one byte", 1, "1 byte");
        row("999", 999, "999 bytes");
        row("1000", 1000, "1 KB");
        row("1499", 1499, "1 KB");
        row("1500", 1500, "2 KB");
        row("999 999", 999'999, "1 MB");
        row("1 000 000", 1'000'000, "1 MB");
        row("1 049 999", 1'049'999, "1 MB");
        row("1 250 000", 1'250'000, "1.3 MB");
        row("999 950 000", 999'950'000, "1 GB");
        row("1 950 000 000", 1'950'000'000, "1.95 GB");
        row("1 950 000 000, Indonesian locale", 1'950'000'000, "1,95 GB", "id_ID");
        row("2 000 000 000, Indonesian locale", 2'000'000'000, "2 GB", "id_ID");
        row("2 500 000 000", 2'500'000'000, "2.5 GB");
        row("7 500 000 000 000", 7'500'000'000'000, "7.5 TB");
        row("largest", std::numeric_limits<qint64>::max(), "9.22 EB");
    }
    void fmtBoundaries()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        for (const char *language : {"en", "id"}) {
            storeLanguage(language);
            QCOMPARE(fmt(bytes), expected);
        }
    }

    void uptimeText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("indonesian");
        QTest::addColumn<QString>("english");
        const auto row = [](const char *name, double seconds, const char *id, const char *en) {
            QTest::newRow(name) << seconds << QString(id) << QString(en);
        };
        row("under an hour", 3599.0, "0 jam", "0 h");
        row("last second of a day", 86399.9, "23 jam", "23 h");
        row("one day", 86400.0, "1 hari 0 jam", "1 d 0 h");
        row("day and hour", 90061.9, "1 hari 1 jam", "1 d 1 h");
        row("two days", 200000.0, "2 hari 7 jam", "2 d 7 h");
        row("not a number", std::nan(""), "0 jam", "0 h");
        row("negative", -10.0, "0 jam", "0 h");
    }
    void uptimeText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, indonesian);
        QFETCH(QString, english);
        storeLanguage("id");
        QCOMPARE(::uptimeText(seconds), indonesian);
        storeLanguage("en");
        QCOMPARE(::uptimeText(seconds), english);
    }
};

AMPA_TEST_MAIN(TextTest)
#include "tst_text.moc"
