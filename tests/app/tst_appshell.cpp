// The application shell: the life-cycle rules, the window's size rules, the first-run login item.

#include "AppShell.h"
#include "LifeCycle.h"
#include "LoginItem.h"
#include "MessageBoxConfirmation.h"
#include "ModelSingleton.h"
#include "ScreenRoom.h"
#include "StoredSettings.h"
#include "TestHome.h"
#include "WindowPreload.h"
#include "WindowRules.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QQuickWindow>
#include <QTest>

#include <fstream>

namespace fs = std::filesystem;

namespace {

QQuickWindow *window(const char *name)
{
    for (QWindow *candidate : QGuiApplication::topLevelWindows()) {
        if (candidate->objectName() == QLatin1String(name))
            return qobject_cast<QQuickWindow *>(candidate);
    }
    return nullptr;
}

} // namespace

class ShellTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup()
    {
        storeSettings({});
        fs::remove(LoginItem::entryPath());
    }

    void windowAtLaunch_data()
    {
        QTest::addColumn<bool>("atLogin");
        QTest::addColumn<bool>("showMenuBar");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("window");
        QTest::newRow("started by the user") << false << true << true << true;
        QTest::newRow("at login, icon on") << true << true << true << false;
        QTest::newRow("at login, icon off") << true << false << true << true;
        QTest::newRow("at login, no tray host") << true << true << false << true;
    }
    void windowAtLaunch()
    {
        QFETCH(bool, atLogin);
        QFETCH(bool, showMenuBar);
        QFETCH(bool, tray);
        QFETCH(bool, window);
        QCOMPARE(LifeCycle::showWindowAtLaunch(atLogin, showMenuBar, tray), window);
    }

    void closingTheWindow_data()
    {
        QTest::addColumn<std::optional<bool>>("stored");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<bool>("quits");
        QTest::newRow("icon on") << std::optional<bool>(true) << true << false;
        QTest::newRow("icon stored off") << std::optional<bool>(false) << true << true;
        QTest::newRow("never stored") << std::optional<bool>() << true << false;
        QTest::newRow("no tray host") << std::optional<bool>(true) << false << true;
    }
    void closingTheWindow()
    {
        QFETCH(std::optional<bool>, stored);
        QFETCH(bool, tray);
        QFETCH(bool, quits);
        QCOMPARE(LifeCycle::quitWhenWindowCloses(stored, tray), quits);
    }

    void classicHeight()
    {
        QCOMPARE(WindowRules::classicHeight(200, 800), 320.0);
        QCOMPARE(WindowRules::classicHeight(500, 800), 500.0);
        QCOMPARE(WindowRules::classicHeight(5000, 800), 740.0);
        QCOMPARE(WindowRules::classicHeight(5000, 0), 840.0);
        QCOMPARE(WindowRules::usedPercent(0.999), 99);
        QCOMPARE(WindowRules::usedPercent(0.5), 50);
    }

    // Where the program's own resize leaves the window: frame and all inside the available area,
    // moved the least.
    void keptInsideTheScreen_data()
    {
        QTest::addColumn<QRect>("content");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("placed");
        const QMargins titled(1, 20, 1, 5);
        const QRect aboveBottomPanel(0, 0, 1400, 868);
        QTest::newRow("already inside")
            << QRect(200, 100, 760, 600) << titled << aboveBottomPanel << QRect(200, 100, 760, 600);
        QTest::newRow("grown below the panel")
            << QRect(200, 79, 760, 840) << titled << aboveBottomPanel << QRect(200, 23, 760, 840);
        QTest::newRow("taller than the room")
            << QRect(200, 389, 760, 1340) << titled << aboveBottomPanel << QRect(200, 20, 760, 843);
        QTest::newRow("under a top panel") << QRect(50, 0, 760, 500) << titled
                                           << QRect(0, 32, 1400, 868) << QRect(50, 52, 760, 500);
        QTest::newRow("off the right edge") << QRect(1000, 100, 760, 500) << titled
                                            << aboveBottomPanel << QRect(639, 100, 760, 500);
        QTest::newRow("off the left edge")
            << QRect(-300, 100, 760, 500) << titled << aboveBottomPanel << QRect(1, 100, 760, 500);
        QTest::newRow("on a second screen")
            << QRect(1300, 100, 760, 500) << titled << QRect(1400, 0, 1920, 1080)
            << QRect(1401, 100, 760, 500);
        QTest::newRow("no frame") << QRect(0, 500, 760, 900) << QMargins() << aboveBottomPanel
                                  << QRect(0, 0, 760, 868);
        QTest::newRow("a screen too small for the frame")
            << QRect(100, 100, 760, 500) << QMargins(10, 40, 10, 10) << QRect(0, 0, 15, 30)
            << QRect(10, 40, 1, 1);
    }
    void keptInsideTheScreen()
    {
        QFETCH(QRect, content);
        QFETCH(QMargins, frame);
        QFETCH(QRect, area);
        QFETCH(QRect, placed);
        QCOMPARE(ScreenRoom::inside(content, frame, area), placed);
    }

    // The main window's views load in the background from where the module keeps them.
    void preloadsTheMainWindow()
    {
        WindowPreload preload;
        QTRY_VERIFY(preload.status() != QQmlComponent::Loading);
        QCOMPARE(preload.status(), QQmlComponent::Ready);
    }

    // The login item is registered on the first run only (once the window has shown), whatever
    // happens to it later. With the icon stored off, a login launch still opens the window, and
    // the window opens on the pane asked for.
    void launches()
    {
        {
            WindowPreload preload;
            AppShell shell(preload, false);
            QQuickWindow *main = window("main");
            QVERIFY(main);
            QCOMPARE(main->title(), "Ampa");
            QVERIFY(main->isVisible());
            QTRY_VERIFY(fs::exists(LoginItem::entryPath()));
            QVERIFY(Settings::instance().value(Settings::Key::didSetupLogin).toBool());
            // Done without asking, so the window says so once.
            QVERIFY(Settings::instance().loginNote());
        }
        fs::remove(LoginItem::entryPath());
        Settings::instance().setShowMenuBar(false);
        WindowPreload preload;
        AppShell shell(preload, true);
        QVERIFY(!fs::exists(LoginItem::entryPath()));
        QVERIFY(window("main")->isVisible());
        window("main")->hide();
        shell.openMain("downloads");
        QVERIFY(window("main")->isVisible());
        QCOMPARE(ModelSingleton::instance->paneKey(), "downloads");
        shell.openMain("pengaturan");
        QCOMPARE(ModelSingleton::instance->paneKey(), "pengaturan");
    }

    // A first run that could not turn on start at login says nothing of it.
    void noNoteWhenLoginFailed()
    {
        const fs::path autostart = LoginItem::entryPath().parent_path();
        fs::remove_all(autostart);
        fs::create_directories(autostart.parent_path());
        std::ofstream(autostart) << "not a folder";
        {
            WindowPreload preload;
            AppShell shell(preload, false);
            QTRY_VERIFY(Settings::instance().value(Settings::Key::didSetupLogin).toBool());
            QVERIFY(!Settings::instance().loginNote());
        }
        fs::remove(autostart);
    }

    // The single page has its own fixed width; the size the user gave the sidebar layout comes
    // back with it.
    void windowSizeAcrossLayouts()
    {
        Settings::instance().setViewMode("sidebar");
        WindowPreload preload;
        AppShell shell(preload, false);
        QQuickWindow *main = window("main");
        QVERIFY(QTest::qWaitForWindowExposed(main));
        main->resize(1200, 760);
        // Taken in once the window system has answered.
        QTRY_COMPARE(main->property("sidebarSize").toSizeF(), QSizeF(1200, 760));
        Settings::instance().setViewMode("halaman");
        QTRY_COMPARE(main->width(), 760);
        Settings::instance().setViewMode("sidebar");
        QTRY_COMPARE(main->size(), QSize(1200, 760));
    }

    // The warning icon, the heading and the body side by side, the title said once, the
    // destructive button drawn as such and the safe choice focused.
    void confirmationLayout()
    {
        const QString title = QStringLiteral("Empty the Trash?");
        const QString message = QStringLiteral(
            "The 214 items in the Trash, 1.4 GB, are removed for good. Files elsewhere stay.");
        std::unique_ptr<QMessageBox> box =
            MessageBoxConfirmation::make(title, message, QStringLiteral("Empty Trash"));
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QDir().mkpath(QStringLiteral(AMPA_RENDERS_DIR));
        box->grab().save(QStringLiteral(AMPA_RENDERS_DIR "/confirmation.png"));

        auto *icon = box->findChild<QLabel *>(QStringLiteral("qt_msgboxex_icon_label"));
        auto *heading = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
        auto *body = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
        QVERIFY(icon && heading && body);
        const auto inBox = [&](QWidget *widget) {
            return QRect(widget->mapTo(box.get(), QPoint()), widget->size());
        };
        const QRect iconRect = inBox(icon);
        // The icon label itself, not a column as wide as the text.
        QVERIFY2(iconRect.width() <= 96, qPrintable(QString::number(iconRect.width())));
        const QRect textRect = inBox(heading).united(inBox(body));
        const int gap = inBox(heading).left() - iconRect.right();
        QVERIFY2(gap > 0 && gap <= 40, qPrintable(QString::number(gap)));
        QCOMPARE(inBox(body).left(), inBox(heading).left());
        QVERIFY(inBox(body).top() >= inBox(heading).bottom());
        QVERIFY(iconRect.top() < textRect.bottom() && iconRect.bottom() > textRect.top());
        QCOMPARE(heading->text(), title);
        QVERIFY(heading->font().bold());
        QCOMPARE(body->text(), message);
        QVERIFY(box->windowTitle() != title);
        QCOMPARE(box->windowRole(), QStringLiteral("confirmation"));
        // Wide enough that the body wraps into a few lines rather than a narrow column.
        QVERIFY2(box->width() >= 400, qPrintable(QString::number(box->width())));

        auto *confirm = box->findChild<QPushButton *>(QStringLiteral("confirm"));
        auto *cancel = box->findChild<QPushButton *>(QStringLiteral("cancel"));
        QVERIFY(confirm && cancel);
        QCOMPARE(confirm->text(), QStringLiteral("Empty Trash"));
        QVERIFY(confirm->property("destructive").toBool());
        QCOMPARE(box->buttonRole(confirm), QMessageBox::DestructiveRole);
        const QColor fill = confirm->palette().color(QPalette::Button);
        QVERIFY(fill.red() > 150 && fill.green() < 60 && fill.blue() < 60);
        QCOMPARE(box->defaultButton(), cancel);
        QCOMPARE(box->escapeButton(), cancel);
        QCOMPARE(box->focusWidget(), cancel);
    }
};

int main(int argc, char **argv)
{
    TestHome home;
    QApplication app(argc, argv);
    qputenv("QT_QUICK_CONTROLS_STYLE", "Fusion");
    ShellTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_appshell.moc"
