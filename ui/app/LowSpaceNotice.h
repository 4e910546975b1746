#pragma once

#include <QObject>

#include <functional>

class Model;

// Says once, through the desktop's notifications, that free space ran low: when a scan finds
// less free space than the low-space threshold where the one before did not (the first scan
// counts as a crossing), unless the main window is on screen or the setting is off. The
// notification's action opens Ampa.
class LowSpaceNotice : public QObject {
    Q_OBJECT

public:
    LowSpaceNotice(Model &model, std::function<bool()> windowShown, QObject *parent = nullptr);

Q_SIGNALS:
    void openRequested();

private Q_SLOTS:
    void actionInvoked(uint id, const QString &action);

private:
    void scanned();
    void notify();

    Model &model;
    std::function<bool()> windowShown;
    bool wasLow = false;
    uint shownId = 0;       // the notification on screen, 0 for none
    bool listening = false; // to the notifications' actions
};
