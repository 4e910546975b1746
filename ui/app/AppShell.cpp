#include "AppShell.h"

#include "Appearance.h"
#include "FirstFrameReport.h"
#include "LifeCycle.h"
#include "LinuxDesktop.h"
#include "LoginItem.h"
#include "MessageBoxConfirmation.h"
#include "ModelSingleton.h"
#include "PaneOpenReport.h"
#include "Settings.h"
#include "SpaceModel.h"
#include "Text.h"
#include "TrayHost.h"
#include "UiLogging.h"
#include "WindowPreload.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QQmlComponent>
#include <QQuickItem>
#include <QQuickWindow>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>

#include <malloc.h>

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

// The program's own icon with a dot in the accent colour: it reads on light and dark panels
// alike, where a plain glyph would vanish on one of them.
QIcon busyIcon()
{
    QIcon icon;
    for (const int side : {16, 22, 24, 32, 48, 64}) {
        QPixmap pixmap = QApplication::windowIcon().pixmap(side, side);
        if (pixmap.isNull()) {
            pixmap = QPixmap(side, side);
            pixmap.fill(Qt::transparent);
        }
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal dot = side * 0.45;
        const QRectF place(side - dot, side - dot, dot, dot);
        painter.setPen(QPen(Qt::white, qMax(1.0, side / 16.0)));
        painter.setBrush(QColor::fromRgbF(0.05f, 0.56f, 0.5f));
        painter.drawEllipse(place.adjusted(0.5, 0.5, -0.5, -0.5));
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

AppShell::AppShell(WindowPreload &preload, bool launchedAtLogin)
    : model(desktopServices()), engine(preload.engine()),
      desktopIconTheme(preload.desktopIconTheme()),
      lowSpaceNotice(model, [this] { return mainWindow && mainWindow->isVisible(); })
{
    Appearance::askDesktopEarly();
    ModelSingleton::instance = &model;
    // A window's first frame comes before the scan's work (its threads, its child processes)
    // competes with it; a start in the tray alone has no frame to wait for.
    model.start(std::chrono::minutes(30),
                launchedAtLogin ? Model::FirstScan::now : Model::FirstScan::whenAsked);
    // The views the preload began on, ready or waited for here. Their import registers the
    // module's types, the appearance among them, which is set before the window is made.
    QQmlComponent mainViews(&engine, WindowPreload::mainWindowUrl());
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

    mainWindow = createWindow(mainViews);
    FirstFrameReport::attach(mainWindow, model);
    PaneOpenReport::attach(mainWindow, model);
    if (mainWindow) {
        mainWindow->installEventFilter(this);
        connect(mainWindow, SIGNAL(settingsRequested()), this, SLOT(openSettings()));
        connect(mainWindow, SIGNAL(quitRequested()), qApp, SLOT(quit()));
    }
    connect(&settings, &Settings::showMenuBarChanged, this, &AppShell::updateTray);
    connect(&settings, &Settings::languageChanged, this, &AppShell::nameTrayMenu);
    connect(&model, &Model::busyChanged, this, &AppShell::updateTray);
    // Ampa mostly waits in the tray between scans: what the start, a scan or a walk of the space
    // map allocated and freed (the renderer's shader compilations, the walk's tree) goes back to
    // the system rather than staying with the idle program.
    const auto trimWhenIdle = [this] {
        if (!model.scanning() && !model.scanningAdv() && !model.space()->walking())
            malloc_trim(0);
    };
    connect(&model, &Model::scanningAdvChanged, this, trimWhenIdle);
    connect(&model, &Model::scanningChanged, this, trimWhenIdle);
    connect(model.space(), &SpaceModel::walkingChanged, this, trimWhenIdle);
    connect(&lowSpaceNotice, &LowSpaceNotice::openRequested, this, [this] { openMain(); });
    // A tray host may start after Ampa (or restart): no signal says so, a glance every two
    // seconds does.
    trayWatch.setInterval(2000);
    connect(&trayWatch, &QTimer::timeout, this, [this] {
        if (const bool present = TrayHost::present(); present != hostPresent) {
            hostPresent = present;
            qCInfo(lcUi, "tray host: %s", present ? "came" : "gone");
            updateTray();
        }
    });

    if (!launchedAtLogin) {
        // The window opens whatever the tray: the rest waits until it shows, since its first
        // frame is what the user waits for.
        openMain();
        afterFirstFrame([this] {
            model.beginFirstScan();
            startDesktopServices();
        });
    } else {
        startDesktopServices();
        const bool showMenuBar = settings.showMenuBar();
        if (showMenuBar && !hostPresent)
            waitForTrayThenDecide(trayWaitSeconds);
        else if (LifeCycle::showWindowAtLaunch(launchedAtLogin, showMenuBar, hostPresent))
            openMain();
    }

    if (const QString folder = qEnvironmentVariable("AMPA_SCREENSHOTS"); !folder.isEmpty())
        takeScreenshots(folder);
}

void AppShell::showSpace(const QString &folder)
{
    qCInfo(lcUi, "space map: %s", qPrintable(folder));
    model.space()->start(folder);
    openMain("ruang");
}

AppShell::~AppShell()
{
    delete panelWindow;
    delete mainWindow;
    ModelSingleton::instance = nullptr;
}

QQuickWindow *AppShell::createWindow(QQmlComponent &views)
{
    auto *window = qobject_cast<QQuickWindow *>(views.create());
    if (!window)
        qCWarning(lcUi, "cannot create %s: %s", qPrintable(views.url().toString()),
                  qPrintable(views.errorString()));
    return window;
}

void AppShell::afterFirstFrame(std::function<void()> work)
{
    auto once = std::make_shared<std::function<void()>>(std::move(work));
    auto run = [once] {
        if (*once)
            std::exchange(*once, nullptr)();
    };
    if (!mainWindow) {
        QTimer::singleShot(0, this, run);
        return;
    }
    // Swapped on the render thread when there is one; a window never exposed (another
    // workspace, a minimised start) swaps nothing, hence the time limit.
    connect(mainWindow, &QQuickWindow::frameSwapped, this, run, Qt::QueuedConnection);
    QTimer::singleShot(2000, this, run);
}

void AppShell::startDesktopServices()
{
    // The window's icon, drawn from its SVG at every size the window system takes: not before
    // the first frame. The desktop's icon theme may override it. Looking that up reads the
    // theme's whole index, so it is done only where the desktop names a theme; elsewhere the
    // fallback's answer would be the program's own icon again.
    const QIcon own(QStringLiteral(":/app.ampa.Ampa.svg"));
    QApplication::setWindowIcon(desktopIconTheme ? QIcon::fromTheme("app.ampa.Ampa", own) : own);
    setUpLoginOnFirstRun();
    hostPresent = TrayHost::present();
    qCInfo(lcUi, "tray host: %s", hostPresent ? "there" : "none yet");
    updateTray();
    trayWatch.start();
}

void AppShell::setUpLoginOnFirstRun()
{
    Settings &settings = Settings::instance();
    if (settings.value(Settings::Key::didSetupLogin).toBool())
        return;
    // Once, whatever the outcome: later changes come only from the settings switch. Done
    // without asking, so the window says so once, with where to turn it off.
    const bool enabled = !LoginItem::setEnabled(true, LinuxDesktop().selfBundle());
    settings.set(Settings::Key::didSetupLogin, true);
    if (enabled)
        settings.setLoginNote(true);
}

void AppShell::waitForTrayThenDecide(int attemptsLeft)
{
    if (hostPresent)
        return; // the tray watch has shown the icon
    if (attemptsLeft == 0) {
        openMain(); // no tray came: the window is the only way to reach Ampa
        return;
    }
    QTimer::singleShot(1000, this,
                       [this, attemptsLeft] { waitForTrayThenDecide(attemptsLeft - 1); });
}

void AppShell::updateTray()
{
    const bool shown = LifeCycle::trayIconShown(Settings::instance().showMenuBar(), hostPresent);
    if (!shown) {
        tray.reset();
        trayMenu.reset();
        return;
    }
    // The icon first: a tray icon shown without one is an empty slot.
    const QIcon icon = model.busy() ? busyIcon() : QApplication::windowIcon();
    if (!tray) {
        tray = std::make_unique<QSystemTrayIcon>(icon);
        tray->setToolTip("Ampa");
        connect(tray.get(), &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        togglePanel();
                });
        trayMenu = std::make_unique<QMenu>();
        openAction = trayMenu->addAction(QString());
        connect(openAction, &QAction::triggered, this, [this] { openMain(); });
        quitAction = trayMenu->addAction(QString());
        connect(quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
        nameTrayMenu();
        tray->setContextMenu(trayMenu.get());
        tray->show();
    }
    tray->setIcon(icon);
}

void AppShell::nameTrayMenu()
{
    if (!trayMenu)
        return;
    openAction->setText(bilingual("Buka Ampa", "Open Ampa"));
    quitAction->setText(bilingual("Keluar", "Quit"));
}

void AppShell::togglePanel()
{
    // A Wayland compositor places windows itself: the panel would land mid-screen, often over
    // the window. There the icon opens the window on the quick clean, which the panel leads to.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        openMain(mainWindow && mainWindow->isVisible() ? QString() : QStringLiteral("cepat"));
        return;
    }
    if (!ensurePanel())
        return;
    if (panelWindow->isVisible()) {
        panelWindow->hide();
        return;
    }
    if (panelHidden.isValid() && panelHidden.elapsed() < 300)
        return;
    // Beside the icon where the tray tells where it is (XEmbed), else beside the pointer (a
    // StatusNotifierItem host keeps that to itself).
    const QRect icon = tray ? tray->geometry() : QRect();
    panelAnchor = icon.isValid() ? icon : QRect(QCursor::pos(), QSize(1, 1));
    placePanel();
    panelWindow->show();
    panelWindow->requestActivate();
}

bool AppShell::ensurePanel()
{
    if (panelWindow || panelFailed)
        return panelWindow;
    // Made at its first use: most starts never open it, and it would cost the window's first
    // frame its time and the program its memory.
    QQmlComponent panelViews(&engine, QUrl(QStringLiteral("qrc:/Ampa/menubar/PanelWindow.qml")));
    panelWindow = createWindow(panelViews);
    panelFailed = !panelWindow;
    if (!panelWindow)
        return false;
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
    // The panel's height follows its content, laid out again only once it shows (or when a
    // result appears in it): placed by its old height, it would cover its own icon.
    connect(panelWindow, &QWindow::heightChanged, this, [this] {
        if (panelWindow->isVisible())
            placePanel();
    });
    connect(panelWindow, SIGNAL(openRequested(QString)), this, SLOT(openFromPanel(QString)));
    connect(panelWindow, SIGNAL(quitRequested()), qApp, SLOT(quit()));
    return true;
}

void AppShell::placePanel()
{
    // Inside the screen, above an icon in the lower half and below one in the upper half.
    QScreen *screen = QGuiApplication::screenAt(panelAnchor.center());
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
    const QSize size(panelWindow->width(), panelWindow->height());
    const int x = std::clamp(panelAnchor.center().x() - size.width() / 2, area.left(),
                             area.right() - size.width());
    const int y = panelAnchor.center().y() > area.center().y()
                      ? panelAnchor.top() - size.height() - 8
                      : panelAnchor.bottom() + 8;
    panelWindow->setPosition(x, std::clamp(y, area.top(), area.bottom() - size.height()));
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
        // By the icon really shown now: the tray host may have come or gone since the start.
        if (LifeCycle::quitWhenWindowCloses(storedShowMenuBar(), tray && tray->isVisible()))
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
