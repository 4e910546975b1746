#include "SystemdUserManager.h"

#include "PlatformLogging.h"
#include "Text.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

constexpr char service[] = "org.freedesktop.systemd1";
constexpr char managerPath[] = "/org/freedesktop/systemd1";
constexpr char managerInterface[] = "org.freedesktop.systemd1.Manager";
constexpr int timeoutMs = 15000;

QString unreachableText()
{
    return bilingual(QStringLiteral("Tidak ada systemd pengguna (systemd --user) di bus sesi: "
                                    "jadwal membutuhkannya."),
                     QStringLiteral("No user systemd manager (systemd --user) on the session bus: "
                                    "the schedule needs one."));
}

} // namespace

SystemdUserManager::SystemdUserManager() : connection(QDBusConnection::sessionBus())
{
    // Asked without starting anything: the bus's own file for the name only fails.
    if (!connection.isConnected() || !connection.interface()
        || !connection.interface()->isServiceRegistered(QLatin1String(service)).value())
        why = unreachableText();
}

SystemdUserManager::Reply SystemdUserManager::call(const QString &method,
                                                   const QVariantList &arguments)
{
    if (why)
        return {{}, QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown"), *why};
    QDBusMessage message =
        QDBusMessage::createMethodCall(QLatin1String(service), QLatin1String(managerPath),
                                       QLatin1String(managerInterface), method);
    message.setArguments(arguments);
    const QDBusMessage reply = connection.call(message, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        qCInfo(lcPlatform, "%s: %s: %s", qPrintable(method), qPrintable(reply.errorName()),
               qPrintable(reply.errorMessage()));
        return {{}, reply.errorName(), reply.errorMessage()};
    }
    return {reply.arguments(), {}, {}};
}

std::optional<QVariant>
SystemdUserManager::unitProperty(const QString &unit, const QString &interface, const QString &name)
{
    const Reply found = call(QStringLiteral("GetUnit"), {unit});
    if (!found.ok() || found.values.isEmpty())
        return std::nullopt;
    const QString path = found.values.first().value<QDBusObjectPath>().path();
    QDBusMessage get = QDBusMessage::createMethodCall(
        QLatin1String(service), path, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << interface << name;
    const QDBusMessage reply = connection.call(get, QDBus::Block, timeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage || reply.arguments().isEmpty())
        return std::nullopt;
    return reply.arguments().first().value<QDBusVariant>().variant();
}
