#pragma once

#include <QDBusVariant>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// Light or dark. The `appearance` setting maps "terang" to light and "gelap" to dark; anything
// else follows the desktop: the settings portal's color-scheme, else the lightness of the
// desktop's own palette.
class Appearance : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    Q_PROPERTY(bool systemDark READ systemDark NOTIFY systemDarkChanged)

public:
    // Sends the question to the settings portal now, so that its answer (or its 500 ms time
    // limit) runs alongside the start instead of stopping it when the views first read the
    // scheme. Call on the main thread, before the engine makes the singleton.
    static void askDesktopEarly();
    explicit Appearance(QObject *parent = nullptr);

    // "light", "dark", or "" when the desktop's own setting applies.
    Q_INVOKABLE static QString scheme(const QString &appearance);
    // Gives the application's controls the palette of that appearance.
    Q_INVOKABLE void applyAppearance(const QString &appearance);

    bool systemDark() const { return dark; }

Q_SIGNALS:
    void systemDarkChanged();

private Q_SLOTS:
    void portalSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    bool dark = false;
};
