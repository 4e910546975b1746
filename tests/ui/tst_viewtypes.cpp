// The small C++ types behind the views.

#include "AppIcons.h"
#include "Appearance.h"
#include "AvatarHue.h"
#include "DesktopEntry.h"
#include "DesktopIcons.h"
#include "Icons.h"
#include "LoginItem.h"
#include "LoginSwitch.h"
#include "Model.h"
#include "Paths.h"
#include "Services.h"
#include "StoredSettings.h"
#include "SymbolImageProvider.h"
#include "SymbolMasks.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QDirIterator>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>

#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

// Every symbol name the views and the model hand to the symbol provider: the literals in the
// views' sources, the catalogue's target symbols and the advanced cards'.
QSet<QString> symbolsInUse()
{
    QSet<QString> names;
    const QRegularExpression literal(
        R"re((?:symbol|name)\s*:\s*"([a-z][a-z0-9.]*)"|Icons\.source\("([a-z][a-z0-9.]*)")re");
    QDirIterator files(AMPA_UI_DIR, {"*.qml"}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        auto matches = literal.globalMatch(QString::fromUtf8(file.readAll()));
        while (matches.hasNext()) {
            const auto match = matches.next();
            names << (match.captured(1).isEmpty() ? match.captured(2) : match.captured(1));
        }
    }
    for (const CacheTarget &target : quickTargets())
        names << target.icon;
    return names;
}

// The share of the square a symbol inks, 0 to 1.
double inked(const QImage &image)
{
    qint64 ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qAlpha(image.pixel(x, y));
    return double(ink) / (255.0 * image.width() * image.height());
}

} // namespace

class ViewTypesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QIcon::setThemeSearchPaths({"/usr/share/icons"});
        QIcon::setThemeName("breeze");
    }

    void cleanup()
    {
        qputenv("XDG_CONFIG_HOME", (TestHome::home() / ".config").c_str());
        storeSettings({});
    }

    // Every symbol in use is one of the program's own drawings, so it looks the same with any
    // icon theme: drawn, not a solid block, and unlike every other.
    void symbolsAreDistinctDrawings()
    {
        QSet<QString> names = symbolsInUse();
        for (const char *card : {"message", "cpu", "arrow.triangle.2.circlepath", "doc.badge.clock",
                                 "theatermasks", "trash", "exclamationmark.triangle.fill"})
            names << card;
        QVERIFY(names.size() > 20);
        SymbolImageProvider provider;
        QMap<QByteArray, QString> drawings;
        for (const QString &name : names) {
            QVERIFY2(!Icons::ownSymbol(name).isEmpty(), qPrintable(name + " has no drawing"));
            QSize size;
            const QString id = Icons::source(name, QColor("#336699")).mid(15);
            const QImage image = provider.requestPixmap(id, &size, QSize(32, 32)).toImage();
            QCOMPARE(size, QSize(32, 32));
            const double share = inked(image);
            QVERIFY2(share > 0.04 && share < 0.7,
                     qPrintable(QString("%1 inks %2 of its square").arg(name).arg(share)));
            const QByteArray bytes(reinterpret_cast<const char *>(image.constBits()),
                                   image.sizeInBytes());
            QVERIFY2(!drawings.contains(bytes),
                     qPrintable(name + " looks the same as " + drawings.value(bytes)));
            drawings.insert(bytes, name);
        }
    }

    // A symbol is drawn once and then read from the cache folder. Whatever stands in the kept
    // file's place (a file of another length, a FIFO, a folder that cannot be made) gives the
    // same drawing, without waiting.
    void symbolMasksAreKept()
    {
        const QString resource = Icons::ownSymbol("sparkles");
        const QSize size(30, 30);
        const QImage drawn = SymbolMasks::draw(resource, size);
        const fs::path folder = Engine::xdgDir("XDG_CACHE_HOME", ".cache") / "Ampa";
        QCOMPARE(
            QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation).toStdString(),
            Engine::xdgDir("XDG_CACHE_HOME", ".cache").native());
        fs::remove_all(folder);
        QCOMPARE(SymbolMasks::mask(resource, size), drawn);
        const std::vector<fs::path> kept{fs::directory_iterator(folder / "symbols"), {}};
        QCOMPARE(kept.size(), std::size_t(1));
        QCOMPARE(fs::file_size(kept[0]), std::uintmax_t(900));

        // Read back, not drawn again.
        TreeBuilder::write(kept[0], QByteArray(900, '\x7f'));
        QCOMPARE(SymbolMasks::mask(resource, size).constBits()[450], uchar(0x7f));

        TreeBuilder::write(kept[0], "short");
        QCOMPARE(SymbolMasks::mask(resource, size), drawn);
        QCOMPARE(fs::file_size(kept[0]), std::uintmax_t(900));

        fs::remove(kept[0]);
        QCOMPARE(mkfifo(kept[0].c_str(), 0600), 0);
        QCOMPARE(SymbolMasks::mask(resource, size), drawn);

        fs::remove_all(folder);
        TreeBuilder::write(folder, "not a folder");
        QCOMPARE(SymbolMasks::mask(resource, size), drawn);
        fs::remove(folder);
    }

    // A desktop entry may name its icon by its file: drawn from that file, untinted.
    void iconNamedByItsFile()
    {
        const fs::path file = TestHome::root() / "icons/tool.svg";
        TreeBuilder::write(file, "<svg xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 8 8\">"
                                 "<rect width=\"8\" height=\"8\" fill=\"#ff0000\"/></svg>");
        SymbolImageProvider provider;
        QSize size;
        const QImage image =
            provider
                .requestPixmap(Icons::source(QString::fromStdString(file.native())).mid(15), &size,
                               QSize(16, 16))
                .toImage();
        QCOMPARE(image.pixelColor(8, 8), QColor(Qt::red));
    }

    void avatarHueDependsOnTheInitialsAlone()
    {
        QCOMPARE(AvatarHue::of("AB"), 281.0 / 360.0);
        QCOMPARE(AvatarHue::of(""), 0.0);
        QVERIFY(AvatarHue::of("WA") != AvatarHue::of("AW"));
        // Long initials wrap in 64 bits; the hue stays within (-1, 1).
        const double wrapped = AvatarHue::of(QString(40, QChar(0x1F600)));
        QVERIFY(wrapped > -1 && wrapped < 1);
    }

    void schemeMapping_data()
    {
        QTest::addColumn<QString>("appearance");
        QTest::addColumn<QString>("scheme");
        const std::pair<const char *, const char *> rows[] = {
            {"terang", "light"}, {"gelap", "dark"}, {"sistem", ""}, {"Gelap", ""}, {"", ""}};
        for (const auto &[appearance, scheme] : rows)
            QTest::addRow("'%s'", appearance) << QString(appearance) << QString(scheme);
    }
    void schemeMapping()
    {
        QFETCH(QString, appearance);
        QFETCH(QString, scheme);
        QCOMPARE(Appearance::scheme(appearance), scheme);
    }

    void loginSwitchWritesAndRemovesTheEntry()
    {
        LoginSwitch login(linuxServices().desktop);
        QVERIFY(!login.isOn());
        login.set(true);
        QVERIFY(login.isOn());
        QVERIFY(login.error().isEmpty());
        const auto entry = Engine::readDesktopEntry(LoginItem::entryPath());
        QVERIFY(entry.has_value());
        QCOMPARE(entry->name, "Ampa");
        QCOMPARE(Engine::execWords(entry->exec).last(), "--login");
        QVERIFY(LoginSwitch(linuxServices().desktop).isOn()); // a new switch reads it back

        login.set(false);
        QVERIFY(!login.isOn());
        QVERIFY(!fs::exists(LoginItem::entryPath()));
    }

    // A program path with spaces and quotes survives the entry's quoting rules.
    void programPathIsQuoted()
    {
        const fs::path program = TestHome::root() / "My Apps/it's \"Ampa\" $1.AppImage";
        QCOMPARE(LoginItem::setEnabled(true, program), std::nullopt);
        const auto entry = Engine::readDesktopEntry(LoginItem::entryPath());
        QVERIFY(entry.has_value());
        QCOMPARE(Engine::execWords(entry->exec),
                 (QStringList{QString::fromStdString(program.native()), "--login"}));
        QVERIFY(LoginItem::enabled());
        // The desktop skips the entry once the program is gone.
        QFile file(QString::fromStdString(LoginItem::entryPath().native()));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QVERIFY2(text.contains(QStringLiteral("\nTryExec=")
                               + QString::fromStdString(program.native()) + u'\n'),
                 qPrintable(text));
        // A Hidden=true entry is one the user switched off.
        TreeBuilder::write(LoginItem::entryPath(), "[Desktop Entry]\nType=Application\nName=Ampa\n"
                                                   "Exec=ampa --login\nHidden=true\n");
        QVERIFY(!LoginItem::enabled());
        QCOMPARE(LoginItem::setEnabled(false, program), std::nullopt);
    }

    // When the entry cannot be written the switch says why and springs back.
    void failureSpringsBack()
    {
        TreeBuilder::write(TestHome::root() / "not-a-folder", "x");
        qputenv("XDG_CONFIG_HOME", (TestHome::root() / "not-a-folder").c_str());
        LoginSwitch login(linuxServices().desktop);
        QSignalSpy changed(&login, &LoginSwitch::onChanged);
        login.set(true);
        QVERIFY(!login.isOn());
        QVERIFY2(login.error().startsWith("Could not change the login item: "),
                 qPrintable(login.error()));
        QCOMPARE(changed.count(), 1);
    }

    void fileIcons()
    {
        DesktopIcons icons;
        TreeBuilder::folder(TestHome::root() / "folder");
        QCOMPARE(icons.fileIcon(QString::fromStdString((TestHome::root() / "folder").native())),
                 "folder");
        QCOMPARE(icons.fileIcon("/somewhere/Editor.AppImage"), "application-x-executable");
        QVERIFY(!icons.fileIcon("/somewhere/paper.pdf").isEmpty());
        QCOMPARE(AppIcons().iconFor({"No Such Application"}), "");
    }
};

int main(int argc, char **argv)
{
    TestHome home;
    qputenv("XDG_DATA_DIRS", qgetenv("XDG_DATA_DIRS") + ":/usr/share");
    QGuiApplication app(argc, argv);
    ViewTypesTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_viewtypes.moc"
