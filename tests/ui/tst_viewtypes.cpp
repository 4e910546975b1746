// The small C++ types behind the views.

#include "Appearance.h"
#include "AvatarHue.h"
#include "DesktopEntry.h"
#include "DesktopIcons.h"
#include "LoginItem.h"
#include "LoginSwitch.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "TreeBuilder.h"

#include <QGuiApplication>
#include <QIcon>
#include <QSignalSpy>

namespace fs = std::filesystem;

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
        LoginSwitch login;
        QVERIFY(!login.isOn());
        login.set(true);
        QVERIFY(login.isOn());
        QVERIFY(login.error().isEmpty());
        const auto entry = Engine::readDesktopEntry(LoginItem::entryPath());
        QVERIFY(entry.has_value());
        QCOMPARE(entry->name, "Ampa");
        QCOMPARE(Engine::execWords(entry->exec).last(), "--login");
        QVERIFY(LoginSwitch().isOn()); // a new view reads it back

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
        LoginSwitch login;
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
        QCOMPARE(icons.appIcon({"No Such Application"}), "");
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
