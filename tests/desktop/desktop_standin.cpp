// Stands in for a desktop service on the session bus: owns NAME, answers every call made to PATH
// (and below) with an empty reply, with an error given "fail", given "read=N" with the number N
// wrapped in two variants as the settings portal's Read does, or given "text=T" with the string T,
// and writes each call as one line "interface.member arg arg…" to NOTES.
// Usage: desktop-standin NAME PATH NOTES [fail | read=N | text=T]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QFile>
#include <QTimer>

#include <cstdio>

class AnyCall : public QDBusVirtualObject {
public:
    AnyCall(QString notes_, QByteArray answer_) : notes(std::move(notes_)), answer(answer_) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QStringList words{message.interface() + '.' + message.member()};
        for (const QVariant &argument : message.arguments())
            words << (argument.canConvert<QStringList>() ? argument.toStringList().join(',')
                                                         : argument.toString());
        // Written out before the answer: a test may end this process as soon as it has the answer.
        if (QFile file(notes); file.open(QIODevice::Append))
            file.write((words.join(' ') + '\n').toUtf8());
        if (answer == "fail") {
            connection.send(message.createErrorReply(QDBusError::AccessDenied, "refused"));
        } else if (answer.startsWith("read=")) {
            const int value = answer.mid(5).toInt();
            const QVariant inner = QVariant::fromValue(QDBusVariant(value));
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(inner))));
        } else if (answer.startsWith("text=")) {
            connection.send(message.createReply(QString::fromUtf8(answer.mid(5))));
        } else {
            connection.send(message.createReply());
        }
        return true;
    }

private:
    QString notes;
    QByteArray answer;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: desktop-standin NAME PATH NOTES [fail | read=N | text=T]\n", stderr);
        return 2;
    }
    AnyCall calls(QString::fromLocal8Bit(argv[3]), argc > 4 ? QByteArray(argv[4]) : QByteArray());
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QString::fromLocal8Bit(argv[2]), &calls)
        || !bus.registerService(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot take %s\n", argv[1]);
        return 1;
    }
    // Started by the bus, it ends with it rather than outlive the test, holding its output open.
    QTimer busGone;
    QObject::connect(&busGone, &QTimer::timeout, &app, [&bus] {
        if (!bus.isConnected())
            QCoreApplication::quit();
    });
    busGone.start(200);
    return QCoreApplication::exec();
}
