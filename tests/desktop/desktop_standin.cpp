// Stands in for a desktop service on the session bus: owns NAME, answers every call made to PATH
// (and below) with an empty reply, or with an error given "fail", and writes each call as one
// line "interface.member arg arg…" to NOTES. Usage: desktop-standin NAME PATH NOTES [fail]

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>

#include <cstdio>

class AnyCall : public QDBusVirtualObject {
public:
    AnyCall(QString notes_, bool failing_) : notes(std::move(notes_)), failing(failing_) {}

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        QStringList words{message.interface() + '.' + message.member()};
        for (const QVariant &argument : message.arguments())
            words << (argument.canConvert<QStringList>() ? argument.toStringList().join(',')
                                                         : argument.toString());
        QFile file(notes);
        if (file.open(QIODevice::Append))
            file.write((words.join(' ') + '\n').toUtf8());
        connection.send(failing ? message.createErrorReply(QDBusError::AccessDenied, "refused")
                                : message.createReply());
        return true;
    }

private:
    QString notes;
    bool failing;
};

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 4) {
        std::fputs("usage: desktop-standin NAME PATH NOTES [fail]\n", stderr);
        return 2;
    }
    AnyCall calls(QString::fromLocal8Bit(argv[3]), argc > 4 && qstrcmp(argv[4], "fail") == 0);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerVirtualObject(QString::fromLocal8Bit(argv[2]), &calls)
        || !bus.registerService(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "cannot take %s\n", argv[1]);
        return 1;
    }
    return QCoreApplication::exec();
}
