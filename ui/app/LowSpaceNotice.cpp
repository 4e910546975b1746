#include "LowSpaceNotice.h"

#include "Model.h"
#include "Settings.h"
#include "Text.h"
#include "UiLogging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

constexpr const char *service = "org.freedesktop.Notifications";
constexpr const char *path = "/org/freedesktop/Notifications";

} // namespace

LowSpaceNotice::LowSpaceNotice(Model &model_, std::function<bool()> windowShown_, QObject *parent)
    : QObject(parent), model(model_), windowShown(std::move(windowShown_))
{
    // The free space is published with the scan's first stage.
    connect(&model, &Model::scanningChanged, this, [this] {
        if (!model.scanning())
            scanned();
    });
}

void LowSpaceNotice::scanned()
{
    const bool low = model.isLow();
    const bool crossed = low && !wasLow;
    wasLow = low;
    // Said at the info level, for a report of a notification that never came (or came twice).
    const char *withheld = !crossed                                 ? "no crossing"
                           : model.demo()                           ? "demo mode"
                           : !Settings::instance().notifyLowSpace() ? "turned off"
                           : windowShown()                          ? "the window is shown"
                                                                    : nullptr;
    qCInfo(lcUi, "low-space notification after a scan: %s", withheld ? withheld : "sent");
    if (!withheld)
        notify();
}

void LowSpaceNotice::notify()
{
    // Listened for only once there is a notification to act on: subscribing asks the bus who
    // owns the service, a wait the window's start need not have.
    if (!listening) {
        listening = QDBusConnection::sessionBus().connect(service, path, service, "ActionInvoked",
                                                          this, SLOT(actionInvoked(uint, QString)));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, service, "Notify");
    call << QStringLiteral("Ampa") << uint(0) << QStringLiteral("app.ampa.Ampa")
         << bilingual("Ruang disk hampir habis", "Disk space is running low")
         << bilingual(QStringLiteral("Tersisa %1. Buka Ampa untuk membersihkan."),
                      QStringLiteral("%1 free. Open Ampa to clean up."))
                .arg(fmt(model.freeBytes()))
         << QStringList{QStringLiteral("default"), bilingual("Buka Ampa", "Open Ampa")}
         << QVariantMap{{"desktop-entry", QStringLiteral("app.ampa.Ampa")},
                        {"urgency", QVariant::fromValue(uchar(1))}}
         << int(-1);
    auto *watcher =
        new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher *w) {
        const QDBusPendingReply<uint> reply = *w;
        if (reply.isError())
            qCWarning(lcUi, "no desktop notification: %s", qPrintable(reply.error().message()));
        else
            shownId = reply.value();
        w->deleteLater();
    });
}

void LowSpaceNotice::actionInvoked(uint id, const QString &)
{
    if (id == 0 || id != shownId)
        return; // another program's notification
    shownId = 0;
    Q_EMIT openRequested();
}
