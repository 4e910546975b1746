#include "SingleInstance.h"

#include "UiLogging.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QUrl>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// What the desktop handed this start to let the window it shows take the focus.
QVariantMap activationData()
{
    QVariantMap data;
    if (const QByteArray token = qgetenv("XDG_ACTIVATION_TOKEN"); !token.isEmpty())
        data.insert("activation-token", QString::fromUtf8(token));
    if (const QByteArray id = qgetenv("DESKTOP_STARTUP_ID"); !id.isEmpty())
        data.insert("desktop-startup-id", QString::fromUtf8(id));
    return data;
}

} // namespace

bool SingleInstance::claim(bool quietly, const QString &folder)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return claimLock();
    // The object first: whoever sees the name can reach it at once.
    bus.registerObject(objectPath, this, QDBusConnection::ExportScriptableSlots);
    const auto reply =
        bus.interface()->registerService(serviceName, QDBusConnectionInterface::DontQueueService,
                                         QDBusConnectionInterface::DontAllowReplacement);
    if (reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered)
        return true;
    bus.unregisterObject(objectPath);
    if (!quietly) {
        QDBusMessage call =
            QDBusMessage::createMethodCall(serviceName, objectPath, "org.freedesktop.Application",
                                           folder.isEmpty() ? "Activate" : "Open");
        if (!folder.isEmpty())
            call << QStringList{QUrl::fromLocalFile(folder).toString()};
        call << activationData();
        const QDBusMessage answer = bus.call(call, QDBus::Block, 5000);
        if (answer.type() == QDBusMessage::ErrorMessage)
            qCWarning(lcUi, "the running Ampa did not answer: %s",
                      qPrintable(answer.errorMessage()));
    }
    return false;
}

bool SingleInstance::claimLock()
{
    const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
    if (runtime.isEmpty() || !runtime.startsWith('/'))
        return true; // nowhere to keep a lock: run, as without one
    const QByteArray path = runtime + "/app.ampa.Ampa.lock";
    lockFd = open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (lockFd < 0)
        return true;
    if (flock(lockFd, LOCK_EX | LOCK_NB) == 0)
        return true;
    qCWarning(lcUi, "Ampa already runs in this session (no session bus to show its window)");
    return false;
}

void SingleInstance::Activate(const QVariantMap &platformData)
{
    // Qt hands these to the window system when the window is activated.
    if (const QString token = platformData.value("activation-token").toString(); !token.isEmpty())
        qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
    if (const QString id = platformData.value("desktop-startup-id").toString(); !id.isEmpty())
        qputenv("DESKTOP_STARTUP_ID", id.toUtf8());
    Q_EMIT activated();
}

void SingleInstance::Open(const QStringList &uris, const QVariantMap &platformData)
{
    Activate(platformData);
    // A folder is opened in the space map; the map looks at one at a time.
    for (const QString &uri : uris) {
        if (const QUrl url(uri); url.isLocalFile()) {
            Q_EMIT folderOpened(url.toLocalFile());
            return;
        }
    }
}

void SingleInstance::ActivateAction(const QString &, const QVariantList &,
                                    const QVariantMap &platformData)
{
    Activate(platformData);
}
