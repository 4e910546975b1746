// Stands in for the desktop's notification server: owns org.freedesktop.Notifications on the
// session bus, writes each notification it is sent as one line "summary|body|actions" to the
// file named first, and, given "invoke" second, answers each with its default action.

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFile>
#include <QTimer>
#include <QVariantMap>

#include <cstdio>

namespace {

constexpr const char *path = "/org/freedesktop/Notifications";
constexpr const char *interface = "org.freedesktop.Notifications";

} // namespace

class Notifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    Notifications(QString notes_, bool invoke_) : notes(std::move(notes_)), invoke(invoke_) {}

public Q_SLOTS:
    Q_SCRIPTABLE uint Notify(const QString &, uint, const QString &, const QString &summary,
                             const QString &body, const QStringList &actions, const QVariantMap &,
                             int)
    {
        QFile file(notes);
        if (file.open(QIODevice::Append))
            file.write((summary + '|' + body + '|' + actions.join(',') + '\n').toUtf8());
        const uint id = ++last;
        if (invoke) {
            QTimer::singleShot(300, this, [id] {
                QDBusMessage signal = QDBusMessage::createSignal(path, interface, "ActionInvoked");
                signal << id << QStringLiteral("default");
                QDBusConnection::sessionBus().send(signal);
            });
        }
        return id;
    }
    Q_SCRIPTABLE QStringList GetCapabilities() { return {"actions", "body"}; }
    Q_SCRIPTABLE void CloseNotification(uint) {}

private:
    QString notes;
    bool invoke;
    uint last = 0;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fputs("usage: notifications-standin NOTES [invoke]\n", stderr);
        return 2;
    }
    Notifications server(QString::fromLocal8Bit(argv[1]),
                         argc > 2 && qstrcmp(argv[2], "invoke") == 0);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(path, &server, QDBusConnection::ExportScriptableSlots)
        || !bus.registerService(interface)) {
        std::fputs("cannot take org.freedesktop.Notifications\n", stderr);
        return 1;
    }
    return QCoreApplication::exec();
}

#include "notifications_standin.moc"
