#include "CacheTarget.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "Text.h"

#include <QLocale>

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

    void languagePicksThePair_data()
    {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing") << QVariant() << "English";
        QTest::newRow("id") << QVariant("id") << "Indonesia";
        QTest::newRow("en") << QVariant("en") << "English";
        QTest::newRow("empty") << QVariant("") << "English";
        QTest::newRow("upper case") << QVariant("ID") << "English";
        QTest::newRow("trailing space") << QVariant("id ") << "English";
        QTest::newRow("old code") << QVariant("in") << "English";
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
        QCOMPARE(english.at(0).name, "Old Codex versions");
        QCOMPARE(indonesian.at(0).name, "Versi lama Codex");
        QCOMPARE(indonesian.at(8).note, "Unduhan paket Python");
        for (qsizetype i = 0; i < english.size(); ++i) {
            QCOMPARE(indonesian.at(i).id, english.at(i).id);
            QCOMPARE(indonesian.at(i).icon, english.at(i).icon);
            QCOMPARE(indonesian.at(i).paths, english.at(i).paths);
            QCOMPARE(indonesian.at(i).blockers, english.at(i).blockers);
        }
    }

    void fmtBoundaries_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("negative") << qint64(-5) << "0 MB";
        QTest::newRow("zero") << qint64(0) << "0 MB";
        QTest::newRow("one byte") << qint64(1) << "1 byte";
        QTest::newRow("999") << qint64(999) << "999 bytes";
        QTest::newRow("1000") << qint64(1000) << "1 KB";
        QTest::newRow("1499") << qint64(1499) << "1 KB";
        QTest::newRow("1500") << qint64(1500) << "2 KB";
        QTest::newRow("999 999") << qint64(999'999) << "1 MB";
        QTest::newRow("1 000 000") << qint64(1'000'000) << "1 MB";
        QTest::newRow("1 049 999") << qint64(1'049'999) << "1 MB";
        QTest::newRow("1 250 000") << qint64(1'250'000) << "1.3 MB";
        QTest::newRow("999 950 000") << qint64(999'950'000) << "1 GB";
        QTest::newRow("1 950 000 000") << qint64(1'950'000'000) << "1.95 GB";
        QTest::newRow("2 500 000 000") << qint64(2'500'000'000) << "2.5 GB";
        QTest::newRow("7 500 000 000 000") << qint64(7'500'000'000'000) << "7.5 TB";
        QTest::newRow("largest") << std::numeric_limits<qint64>::max() << "9.22 EB";
    }
    void fmtBoundaries()
    {
        QFETCH(qint64, bytes);
        QFETCH(QString, expected);
        QCOMPARE(fmt(bytes), expected);
    }

    // Units and numbers follow the locale, never the interface language.
    void fmtUsesTheLocaleSeparator()
    {
        QLocale::setDefault(QLocale(QLocale::Indonesian, QLocale::Indonesia));
        QCOMPARE(fmt(1'950'000'000), "1,95 GB");
        QCOMPARE(fmt(2'000'000'000), "2 GB");
        storeLanguage("id");
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(fmt(1'950'000'000), "1.95 GB");
    }

    void uptimeText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("indonesian");
        QTest::addColumn<QString>("english");
        QTest::newRow("under an hour") << 3599.0 << "0 jam"
                                       << "0 h";
        QTest::newRow("last second of a day") << 86399.9 << "23 jam"
                                              << "23 h";
        QTest::newRow("one day") << 86400.0 << "1 hari 0 jam"
                                 << "1 d 0 h";
        QTest::newRow("day and hour") << 90061.9 << "1 hari 1 jam"
                                      << "1 d 1 h";
        QTest::newRow("two days") << 200000.0 << "2 hari 7 jam"
                                  << "2 d 7 h";
        QTest::newRow("not a number") << std::nan("") << "0 jam"
                                      << "0 h";
        QTest::newRow("negative") << -10.0 << "0 jam"
                                  << "0 h";
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
