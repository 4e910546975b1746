#include "LinuxDesktop.h"

#include "FreedesktopTrash.h"
#include "LinuxRunningApplications.h"
#include "Paths.h"
#include "PlatformLogging.h"
#include "SystemdCleanSchedule.h"
#include "Text.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QProcess>
#include <QTimer>
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

namespace {

// Calls a method on the session bus, then `answered(ok)` on the main thread. The bus starts a
// service that is installed but not running (D-Bus activation), hence the long wait.
void callThen(QDBusMessage call, std::function<void(bool)> answered)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        QTimer::singleShot(0, qApp, [answered = std::move(answered)] { answered(false); });
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 25000), qApp);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, qApp,
                     [answered = std::move(answered), call](QDBusPendingCallWatcher *done) {
                         const bool ok = !done->isError();
                         if (!ok)
                             qCInfo(lcPlatform, "%s.%s: %s", qPrintable(call.interface()),
                                    qPrintable(call.member()), qPrintable(done->error().message()));
                         done->deleteLater();
                         answered(ok);
                     });
}

struct RestartPrompt {
    const char *service;
    const char *path;
    const char *interface;
    const char *method;
    QVariantList arguments;
};

// The session managers whose restart prompt lets the user confirm and every program save. MATE's
// answers as GNOME's does; XFCE's logout dialog offers the restart.
const std::vector<RestartPrompt> &restartPrompts()
{
    static const std::vector<RestartPrompt> prompts{
        {"org.gnome.SessionManager",
         "/org/gnome/SessionManager",
         "org.gnome.SessionManager",
         "Reboot",
         {}},
        {"org.kde.LogoutPrompt", "/LogoutPrompt", "org.kde.LogoutPrompt", "promptReboot", {}},
        {"org.xfce.SessionManager",
         "/org/xfce/SessionManager",
         "org.xfce.Session.Manager",
         "Logout",
         {true, true}},
    };
    return prompts;
}

void askPrompt(std::size_t index, std::function<void(bool)> done)
{
    if (index == restartPrompts().size()) {
        done(false);
        return;
    }
    const RestartPrompt &prompt = restartPrompts()[index];
    QDBusMessage call = QDBusMessage::createMethodCall(prompt.service, prompt.path,
                                                       prompt.interface, prompt.method);
    call.setArguments(prompt.arguments);
    callThen(call, [index, done = std::move(done)](bool ok) mutable {
        if (ok)
            done(true);
        else
            askPrompt(index + 1, std::move(done));
    });
}

} // namespace

void LinuxDesktop::revealFile(const std::filesystem::path &path,
                              std::function<void(std::optional<QString>)> done)
{
    const QString file = QString::fromUtf8(path.native());
    QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.FileManager1",
                                                       "/org/freedesktop/FileManager1",
                                                       "org.freedesktop.FileManager1", "ShowItems");
    call << QStringList{QUrl::fromLocalFile(file).toString()} << QString();
    callThen(call, [path, done = std::move(done)](bool shown) {
        if (shown) {
            done(std::nullopt);
            return;
        }
        const QString folder = QString::fromUtf8(path.parent_path().native());
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) {
            done(std::nullopt);
            return;
        }
        qCWarning(lcPlatform, "neither a file manager nor the desktop could show %s",
                  qPrintable(folder));
        done(bilingual(QStringLiteral("tidak ada pengelola file yang bisa membuka %1"),
                       QStringLiteral("no file manager could open %1"))
                 .arg(Engine::displayPath(path.parent_path())));
    });
}

void LinuxDesktop::requestRestart(std::function<void(bool)> done)
{
    askPrompt(0, std::move(done));
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
            std::make_shared<FreedesktopTrash>(), std::make_shared<LinuxDesktop>(),
            std::make_shared<SystemdCleanSchedule>()};
}
