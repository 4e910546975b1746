#pragma once

#include <QObject>
#include <QVariantMap>

// One Ampa per session: a second start (the menu while the autostart copy runs) shows the
// running window and ends, instead of a second icon, window and scan.
//
// The first registers the name app.ampa.Ampa on the session bus and answers the desktop's
// org.freedesktop.Application interface there. Without a session bus a lock in
// $XDG_RUNTIME_DIR stands in; a later start can then only end.
class SingleInstance : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Application")

public:
    static constexpr const char *serviceName = "app.ampa.Ampa";
    static constexpr const char *objectPath = "/app/ampa/Ampa";

    // True when this process is the session's Ampa. Otherwise the running one has been asked to
    // show its window, unless `quietly` (a start at login shows nothing), and its space map to
    // look at `folder` when one is given.
    bool claim(bool quietly, const QString &folder = {});

public Q_SLOTS:
    Q_SCRIPTABLE void Activate(const QVariantMap &platformData);
    Q_SCRIPTABLE void Open(const QStringList &uris, const QVariantMap &platformData);
    Q_SCRIPTABLE void ActivateAction(const QString &name, const QVariantList &parameter,
                                     const QVariantMap &platformData);

Q_SIGNALS:
    // Another start asked for the window.
    void activated();
    // Another start asked for the space map to look at this folder.
    void folderOpened(const QString &folder);

private:
    bool claimLock();
    int lockFd = -1; // held for the life of the process
};
