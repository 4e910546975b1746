#pragma once

#include <QDBusConnection>
#include <QString>
#include <QVariant>

#include <optional>

// The user's service manager (systemd --user) over D-Bus: the name org.freedesktop.systemd1 on
// the session bus, which the manager owns where the session bus is the user's own (its
// dbus.socket, as dbus-user-session sets up; not a bus that dbus-launch started). Its private
// socket, $XDG_RUNTIME_DIR/systemd/private, is left to its own tools: with systemd 252 a libdbus
// client's first calls on a new connection there often go unanswered.
// Calls block for at most 15 seconds each.
class SystemdUserManager {
public:
    SystemdUserManager();
    SystemdUserManager(const SystemdUserManager &) = delete;
    SystemdUserManager &operator=(const SystemdUserManager &) = delete;

    // Why no manager can be reached, for the user to read; none when one can.
    std::optional<QString> unreachable() const { return why; }

    struct Reply {
        QVariantList values;
        QString errorName; // empty on success
        QString error;     // the manager's description of the failure
        bool ok() const { return errorName.isEmpty(); }
    };
    // A method of org.freedesktop.systemd1.Manager.
    Reply call(const QString &method, const QVariantList &arguments);
    // A property of a loaded unit (by its unit name); none when the unit is not loaded or the
    // property cannot be read.
    std::optional<QVariant> unitProperty(const QString &unit, const QString &interface,
                                         const QString &name);

private:
    QDBusConnection connection;
    std::optional<QString> why;
};
