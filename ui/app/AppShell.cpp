#include "AppShell.h"

#include "Appearance.h"
#include "Icons.h"
#include "LifeCycle.h"
#include "LinuxDesktop.h"
#include "LoginItem.h"
#include "MessageBoxConfirmation.h"
#include "ModelSingleton.h"
#include "Settings.h"
#include "SymbolImageProvider.h"
#include "Text.h"
#include "UiLogging.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

Services desktopServices()
{
    Services services = linuxServices();
    services.confirmation = std::make_shared<MessageBoxConfirmation>();
    return services;
}

std::optional<bool> storedShowMenuBar()
{
    const Settings &settings = Settings::instance();
    return settings.isStored(Settings::Key::showMenuBar) ? std::optional(settings.showMenuBar())
                                                         : std::nullopt;
}

// At login the desktop's tray host may come up after Ampa: how long to wait for it.
constexpr int trayWaitSeconds = 30;

} // namespace

AppShell::AppShell(bool launchedAtLogin) : model(desktopServices())
{
    ModelSingleton::instance = &model;
    model.start();
    prepareEngine(engine);
    QQmlComponent importer(&engine);
    importer.setData("import Ampa\nimport QtQml\nQtObject {}\n", QUrl("qrc:/ampa/import.qml"));
    std::unique_ptr<QObject> imported(importer.create());
    Settings &settings = Settings::instance();
    auto *appearance =
        engine.singletonInstance<Appearance *>(qmlTypeId("Ampa", 1, 0, "Appearance"));
    if (appearance) {
        auto apply = [&settings, appearance] {
            appearance->applyAppearance(settings.appearance());
        };
        apply();
        // The widgets (message boxes, the tray menu) follow the desktop too.
        connect(appearance, &Appearance::systemDarkChanged, this, apply);
        connect(&settings, &Settings::appearanceChanged, this, apply);
    }

    setUpLoginOnFirstRun();

    mainWindow = createWindow("MainWindow {}");
    panelWindow = createWindow("PanelWindow {}");
    if (mainWindow) {
        mainWindow->installEventFilter(this);
        connect(mainWindow, SIGNAL(settingsRequested()), this, SLOT(openSettings()));
    }
    if (panelWindow) {
        connect(panelWindow, &QWindow::visibleChanged, this, [this](bool visible) {
            if (!visible)
                panelHidden.start();
        });
        // Also when the window manager never gave the panel focus to lose.
        connect(qApp, &QGuiApplication::applicationStateChanged, panelWindow,
                [this](Qt::ApplicationState state) {
                    if (state != Qt::ApplicationActive)
                        panelWindow->hide();
                });
        connect(panelWindow, SIGNAL(openRequested(QString)), this, SLOT(openFromPanel(QString)));
        connect(panelWindow, SIGNAL(quitRequested()), qApp, SLOT(quit()));
    }
    connect(&settings, &Settings::showMenuBarChanged, this, &AppShell::updateTray);
    connect(&model, &Model::busyChanged, this, &AppShell::updateTray);
    updateTray();

    const bool showMenuBar = settings.showMenuBar();
    if (launchedAtLogin && showMenuBar && !QSystemTrayIcon::isSystemTrayAvailable())
        waitForTrayThenDecide(trayWaitSeconds);
    else if (LifeCycle::showWindowAtLaunch(launchedAtLogin, showMenuBar,
                                           QSystemTrayIcon::isSystemTrayAvailable()))
        openMain();

    if (const QString folder = qEnvironmentVariable("AMPA_SCREENSHOTS"); !folder.isEmpty())
        takeScreenshots(folder);
}

AppShell::~AppShell()
{
    delete panelWindow;
    delete mainWindow;
    ModelSingleton::instance = nullptr;
}

QQuickWindow *AppShell::createWindow(const QByteArray &element)
{
    QQmlComponent component(&engine);
    component.setData("import Ampa\n" + element + "\n", QUrl("qrc:/ampa/window.qml"));
    auto *window = qobject_cast<QQuickWindow *>(component.create());
    if (!window)
        qCWarning(lcUi, "cannot create %s: %s", element.constData(),
                  qPrintable(component.errorString()));
    return window;
}

void AppShell::setUpLoginOnFirstRun()
{
    Settings &settings = Settings::instance();
    if (settings.value(Settings::Key::didSetupLogin).toBool())
        return;
    // Once, whatever the outcome: later changes come only from the settings switch.
    LoginItem::setEnabled(true, LinuxDesktop().selfBundle());
    settings.set(Settings::Key::didSetupLogin, true);
}

void AppShell::waitForTrayThenDecide(int attemptsLeft)
{
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        updateTray();
        return;
    }
    if (attemptsLeft == 0) {
        openMain(); // no tray came: the window is the only way to reach Ampa
        return;
    }
    QTimer::singleShot(1000, this,
                       [this, attemptsLeft] { waitForTrayThenDecide(attemptsLeft - 1); });
}

void AppShell::updateTray()
{
    const bool shown = LifeCycle::trayIconShown(Settings::instance().showMenuBar(),
                                                QSystemTrayIcon::isSystemTrayAvailable());
    if (!shown) {
        tray.reset();
        trayMenu.reset();
        return;
    }
    if (!tray) {
        tray = std::make_unique<QSystemTrayIcon>();
        tray->setToolTip("Ampa");
        connect(tray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        togglePanel();
                });
        trayMenu = std::make_unique<QMenu>();
        connect(trayMenu->addAction(bilingual("Buka Ampa", "Open Ampa")), &QAction::triggered, this,
                [this] { openMain(); });
        connect(trayMenu->addAction(bilingual("Keluar", "Quit")), &QAction::triggered, qApp,
                &QCoreApplication::quit);
        tray->setContextMenu(trayMenu.get());
        tray->show();
    }
    // The application's own icon, and the busy symbol while a clean-up runs.
    tray->setIcon(model.busy() ? QIcon::fromTheme(Icons::name("sparkles.rectangle.stack"))
                               : QApplication::windowIcon());
}

void AppShell::togglePanel()
{
    if (!panelWindow)
        return;
    if (panelWindow->isVisible()) {
        panelWindow->hide();
        return;
    }
    if (panelHidden.isValid() && panelHidden.elapsed() < 300)
        return;
    // The tray gives no geometry on current desktops: open beside the pointer, inside the screen.
    const QPoint pointer = QCursor::pos();
    QScreen *screen = QGuiApplication::screenAt(pointer);
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const QSize size(panelWindow->width(), panelWindow->height());
    const int x =
        std::clamp(pointer.x() - size.width() / 2, area.left(), area.right() - size.width());
    const int y =
        pointer.y() > area.center().y() ? pointer.y() - size.height() - 8 : pointer.y() + 8;
    panelWindow->setPosition(x, std::clamp(y, area.top(), area.bottom() - size.height()));
    panelWindow->show();
    panelWindow->requestActivate();
}

void AppShell::openMain(const QString &pane)
{
    if (!mainWindow)
        return;
    mainWindow->show();
    mainWindow->raise();
    mainWindow->requestActivate();
    if (pane == QLatin1String("pengaturan"))
        model.showSettingsPage();
    else if (!pane.isEmpty())
        model.setPaneKey(pane);
}

void AppShell::openSettings()
{
    openMain("pengaturan");
}

void AppShell::openFromPanel(const QString &pane)
{
    if (panelWindow)
        panelWindow->hide();
    openMain(pane);
}

bool AppShell::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mainWindow && event->type() == QEvent::Close) {
        if (LifeCycle::quitWhenWindowCloses(storedShowMenuBar(),
                                            QSystemTrayIcon::isSystemTrayAvailable()))
            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
        // Otherwise the window only hides: the tray icon stays.
    }
    return QObject::eventFilter(watched, event);
}

void AppShell::takeScreenshots(const QString &folder)
{
    // After the first scan: the sidebar layout, then the single page, then quit.
    auto shoot = [this, folder] {
        if (model.scanning() || model.scanningAdv() || !mainWindow)
            return;
        disconnect(&model, &Model::scanningAdvChanged, this, nullptr);
        QDir().mkpath(folder);
        Settings &settings = Settings::instance();
        const QString before = settings.viewMode();
        settings.setViewMode("sidebar");
        QTimer::singleShot(1500, this, [this, folder, before, &settings] {
            mainWindow->grabWindow().save(folder + "/window-sidebar.png");
            settings.setViewMode("halaman");
            QTimer::singleShot(1500, this, [this, folder, before, &settings] {
                mainWindow->grabWindow().save(folder + "/window-page.png");
                settings.setViewMode(before);
                QCoreApplication::quit();
            });
        });
    };
    connect(&model, &Model::scanningAdvChanged, this, shoot);
    QTimer::singleShot(0, this, shoot);
}
