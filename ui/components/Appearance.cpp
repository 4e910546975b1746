#include "Appearance.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusReply>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QPalette>

#include <optional>
#include <utility>

namespace {

const char *portalService = "org.freedesktop.portal.Desktop";
const char *portalPath = "/org/freedesktop/portal/desktop";
const char *portalSettings = "org.freedesktop.portal.Settings";

QDBusPendingCall askPortal()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, portalSettings, "Read");
    call << QString("org.freedesktop.appearance") << QString("color-scheme");
    return QDBusConnection::sessionBus().asyncCall(call, 500);
}

std::optional<QDBusPendingCall> &askedEarly()
{
    static std::optional<QDBusPendingCall> call;
    return call;
}

// The portal's color-scheme: 1 prefers dark, 2 prefers light, 0 has no preference.
std::optional<int> portalColorScheme()
{
    QDBusPendingCall call = askedEarly() ? *std::exchange(askedEarly(), std::nullopt) : askPortal();
    call.waitForFinished();
    const QDBusMessage reply = call.reply();
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    // The value comes wrapped in one or two variants, depending on the portal's version.
    QVariant value = reply.arguments().first();
    while (value.canConvert<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    bool ok = false;
    const int scheme = value.toInt(&ok);
    return ok ? std::optional(scheme) : std::nullopt;
}

QPalette darkPalette()
{
    QPalette palette;
    palette.setColor(QPalette::Window, QColor(0x25, 0x25, 0x27));
    palette.setColor(QPalette::WindowText, QColor(0xf2, 0xf2, 0xf2));
    palette.setColor(QPalette::Base, QColor(0x2b, 0x2b, 0x2e));
    palette.setColor(QPalette::AlternateBase, QColor(0x31, 0x31, 0x34));
    palette.setColor(QPalette::Text, QColor(0xf2, 0xf2, 0xf2));
    palette.setColor(QPalette::Button, QColor(0x35, 0x35, 0x38));
    palette.setColor(QPalette::ButtonText, QColor(0xf2, 0xf2, 0xf2));
    palette.setColor(QPalette::Highlight, QColor::fromRgbF(0.05f, 0.56f, 0.5f));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    palette.setColor(QPalette::ToolTipBase, QColor(0x35, 0x35, 0x38));
    palette.setColor(QPalette::ToolTipText, QColor(0xf2, 0xf2, 0xf2));
    palette.setColor(QPalette::PlaceholderText, QColor(0xa1, 0xa1, 0xa6));
    palette.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x85));
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x85));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x85));
    return palette;
}

QPalette lightPalette()
{
    QPalette palette(QColor(0xf2, 0xf2, 0xf4));
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Highlight, QColor::fromRgbF(0.05f, 0.56f, 0.5f));
    palette.setColor(QPalette::HighlightedText, Qt::white);
    return palette;
}

} // namespace

void Appearance::askDesktopEarly()
{
    if (!askedEarly())
        askedEarly() = askPortal();
}

Appearance::Appearance(QObject *parent) : QObject(parent)
{
    if (const auto scheme = portalColorScheme(); scheme && *scheme != 0)
        dark = *scheme == 1;
    else if (auto *app = qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        dark = app->palette().color(QPalette::Window).lightness() < 128;
    QDBusConnection::sessionBus().connect(
        portalService, portalPath, portalSettings, "SettingChanged", this,
        SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
}

QString Appearance::scheme(const QString &appearance)
{
    if (appearance == QLatin1String("terang"))
        return "light";
    if (appearance == QLatin1String("gelap"))
        return "dark";
    return {};
}

void Appearance::applyAppearance(const QString &appearance)
{
    const QString chosen = scheme(appearance);
    const bool useDark = chosen.isEmpty() ? dark : chosen == QLatin1String("dark");
    QGuiApplication::setPalette(useDark ? darkPalette() : lightPalette());
}

void Appearance::portalSettingChanged(const QString &group, const QString &key,
                                      const QDBusVariant &value)
{
    if (group != QLatin1String("org.freedesktop.appearance")
        || key != QLatin1String("color-scheme"))
        return;
    const bool nowDark = value.variant().toInt() == 1;
    if (nowDark == dark)
        return;
    dark = nowDark;
    Q_EMIT systemDarkChanged();
}
