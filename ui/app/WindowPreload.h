#pragma once

#include <QQmlComponent>
#include <QQmlEngine>

#include <thread>

// What the main window's first frame needs and can start on before the session is claimed and
// the model made: its views, read and compiled on the QML engine's loader thread, and the
// desktop's list of fonts, read by a thread of its own. Made right after the application, so
// the main thread does its own work meanwhile rather than wait for either.
class WindowPreload {
public:
    WindowPreload();

    static QUrl mainWindowUrl() { return QUrl(QStringLiteral("qrc:/Ampa/main/MainWindow.qml")); }

    QQmlEngine &engine() { return qml; }
    // Whether the desktop names an icon theme of its own (read before the engine names a
    // fallback).
    bool desktopIconTheme() const { return iconTheme; }
    // Where the main window's views stand: Loading, then Ready, or Error when the window cannot
    // be made (which making it says).
    QQmlComponent::Status status() const { return mainWindow.status(); }

private:
    std::jthread fonts;
    bool iconTheme = false;
    QQmlEngine qml;
    QQmlComponent mainWindow{&qml};
};
