#include "LinuxDesktop.h"

#include "FreedesktopTrash.h"
#include "LinuxRunningApplications.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QUrl>

#include <cstdlib>
#include <unistd.h>

void LinuxDesktop::openApplication(const std::filesystem::path &app)
{
    const QString path = QString::fromUtf8(app.native());
    // An AppImage is a program; anything else opens with the desktop's handler.
    if (access(app.c_str(), X_OK) == 0 && !std::filesystem::is_directory(app))
        QProcess::startDetached(path, {});
    else
        QProcess::startDetached("xdg-open", {path});
}

void LinuxDesktop::revealFile(const std::filesystem::path &path)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    const QString uri = QUrl::fromLocalFile(QString::fromUtf8(path.native())).toString();
    if (bus.isConnected() && bus.interface()
        && bus.interface()->isServiceRegistered("org.freedesktop.FileManager1")) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            "org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
            "org.freedesktop.FileManager1", "ShowItems");
        call << QStringList{uri} << QString();
        bus.asyncCall(call);
        return;
    }
    QProcess::startDetached("xdg-open", {QString::fromUtf8(path.parent_path().native())});
}

void LinuxDesktop::requestRestart()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return;
    // Both prompts restart by themselves after a countdown unless the user cancels.
    if (bus.interface()->isServiceRegistered("org.gnome.SessionManager")) {
        bus.asyncCall(QDBusMessage::createMethodCall("org.gnome.SessionManager",
                                                     "/org/gnome/SessionManager",
                                                     "org.gnome.SessionManager", "Reboot"));
    } else if (bus.interface()->isServiceRegistered("org.kde.LogoutPrompt")) {
        bus.asyncCall(QDBusMessage::createMethodCall("org.kde.LogoutPrompt", "/LogoutPrompt",
                                                     "org.kde.LogoutPrompt", "promptReboot"));
    }
}

std::filesystem::path LinuxDesktop::selfBundle()
{
    if (const char *appImage = std::getenv("APPIMAGE"); appImage && *appImage)
        return appImage;
    return QCoreApplication::applicationFilePath().toStdString();
}

QString LinuxDesktop::adminRunner()
{
    return "/usr/bin/pkexec";
}

namespace {

class Declining : public Confirmation {
public:
    bool confirm(const QString &, const QString &, const QString &) override { return false; }
};

} // namespace

Services linuxServices()
{
    return {std::make_shared<Declining>(), std::make_shared<LinuxRunningApplications>(),
            std::make_shared<FreedesktopTrash>(), std::make_shared<LinuxDesktop>()};
}
