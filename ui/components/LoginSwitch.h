#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// The open-at-login switch of the settings view: on writes the autostart entry, off removes it.
// A failure leaves its text in `error` and springs `on` back to the real state.
class LoginSwitch : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool on READ isOn NOTIFY onChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)

public:
    explicit LoginSwitch(QObject *parent = nullptr);

    bool isOn() const { return state; }
    QString error() const { return lastError; }
    Q_INVOKABLE void set(bool on);

Q_SIGNALS:
    void onChanged();
    void errorChanged();

private:
    bool state;
    QString lastError;
};
