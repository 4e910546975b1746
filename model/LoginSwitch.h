#pragma once

#include "Services.h"

#include <QObject>
#include <QString>

#include <memory>

// The open-at-login switch of the settings view: on writes the autostart entry, off removes it.
// A failure leaves its text in `error` and springs `on` back to the real state.
class LoginSwitch : public QObject {
    Q_OBJECT
    Q_PROPERTY(bool on READ isOn NOTIFY onChanged)
    Q_PROPERTY(QString error READ error NOTIFY errorChanged)

public:
    // `desktop` names the program that the entry starts.
    explicit LoginSwitch(std::shared_ptr<Desktop> desktop, QObject *parent = nullptr);

    bool isOn() const { return state; }
    QString error() const { return lastError; }
    Q_INVOKABLE void set(bool on);
    // Reads the entry again and forgets the last error: a view that opens shows the state now
    // (the first run writes the entry behind the switch's back).
    Q_INVOKABLE void reload();

Q_SIGNALS:
    void onChanged();
    void errorChanged();

private:
    void setError(const QString &text);

    std::shared_ptr<Desktop> desktop;
    bool state;
    QString lastError;
};
