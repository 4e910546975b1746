#pragma once

#include "LowSpaceNotice.h"
#include "Model.h"

#include <QElapsedTimer>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QQmlEngine>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QQmlComponent;
class QQuickWindow;
class QSystemTrayIcon;
class WindowPreload;

// The program around the views: the one Model, the main window, the tray icon and its panel,
// the first-run login item, the appearance, and when closing the window ends the program.
class AppShell : public QObject {
    Q_OBJECT

public:
    // Makes its windows on the preload's engine.
    AppShell(WindowPreload &preload, bool launchedAtLogin);
    ~AppShell() override;

    // Shows the main window (on `pane` when given, "pengaturan" opening the settings) and
    // brings it to the front.
    void openMain(const QString &pane = {});
    // Opens the window on the space map, looking at this folder.
    void showSpace(const QString &folder);

private Q_SLOTS:
    void openSettings();
    void openFromPanel(const QString &pane);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QQuickWindow *createWindow(QQmlComponent &views);
    void updateTray();
    void nameTrayMenu();
    void togglePanel();
    bool ensurePanel(); // false when the panel cannot be made
    void placePanel();
    // Runs `work` once, soon after the main window's first frame.
    void afterFirstFrame(std::function<void()> work);
    // The login item, the tray icon and the themed window icon.
    void startDesktopServices();
    void setUpLoginOnFirstRun();
    void waitForTrayThenDecide(int attemptsLeft);
    void takeScreenshots(const QString &folder);

    Model model;
    QQmlEngine &engine;
    QQuickWindow *mainWindow = nullptr;
    QQuickWindow *panelWindow = nullptr; // made on first use
    bool panelFailed = false;            // warned once, not tried again
    // A click on the tray icon first takes focus from the panel, which hides itself: that click
    // meant "close", not "open again".
    QElapsedTimer panelHidden;
    QRect panelAnchor; // what the shown panel sits beside: the tray icon, or the pointer
    std::unique_ptr<QMenu> trayMenu;
    QAction *openAction = nullptr; // owned by the menu
    QAction *quitAction = nullptr;
    std::unique_ptr<QSystemTrayIcon> tray;
    QTimer trayWatch;
    bool hostPresent = false;    // a tray host, as the tray watch last saw it
    const bool desktopIconTheme; // the desktop names an icon theme of its own
    LowSpaceNotice lowSpaceNotice;
};
