#include "SystemdUserManager.h"

#include "Paths.h"
#include "PlatformLogging.h"
#include "Text.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>

#include <atomic>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char service[] = "org.freedesktop.systemd1";
constexpr char managerPath[] = "/org/freedesktop/systemd1";
constexpr char managerInterface[] = "org.freedesktop.systemd1.Manager";
constexpr int timeoutMs = 15000;

// The private socket, when it is a socket of the user's own in the user's runtime folder; the
// manager answers no one else there anyway.
std::optional<QString> privateSocket()
{
    const char *runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || *runtime != '/')
        return std::nullopt;
    const std::filesystem::path socket = std::filesystem::path(runtime) / "systemd" / "private";
    struct stat st {};
    if (lstat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != geteuid())
        return std::nullopt;
    return QString::fromLocal8Bit(socket.c_str());
}

QString unreachableText()
{
    return bilingual(QStringLiteral("Tidak ada systemd pengguna (systemd --user) yang menjawab: "
                                    "jadwal butuh systemd pengguna."),
                     QStringLiteral("No user systemd manager (systemd --user) answers: the "
                                    "schedule needs one."));
}

} // namespace

SystemdUserManager::SystemdUserManager() : connection(QString())
{
    if (const auto socket = privateSocket()) {
        static std::atomic_int count;
        peerName = QStringLiteral("ampa-systemd-%1").arg(count++);
        // The address's path needs escaping only for bytes D-Bus reserves: the runtime folder
        // has none in practice, and a wrong path only falls back to the bus.
        connection =
            QDBusConnection::connectToPeer(QStringLiteral("unix:path=") + *socket, peerName);
        if (connection.isConnected())
            return;
        qCInfo(lcPlatform, "the user manager's private socket %s does not answer: %s",
               qPrintable(*socket), qPrintable(connection.lastError().message()));
        QDBusConnection::disconnectFromPeer(peerName);
        peerName.clear();
    }
    connection = QDBusConnection::sessionBus();
    if (!connection.isConnected() || !connection.interface()
        || !connection.interface()->isServiceRegistered(QLatin1String(service)).value())
        why = unreachableText();
}

SystemdUserManager::~SystemdUserManager()
{
    if (!peerName.isEmpty())
        QDBusConnection::disconnectFromPeer(peerName);
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
