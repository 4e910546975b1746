// ampa: the window program. It takes no argument but --login, which the autostart entry passes
// (and --help, --version).

#include "AppShell.h"
#include "EngineWords.h"
#include "ProcessLimits.h"
#include "RunAs.h"
#include "SingleInstance.h"
#include "WindowPreload.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(AmpaPlugin)

int main(int argc, char *argv[])
{
    // Checked before anything else, so a wrong call gets its answer even without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption login("login", "Started at login: only the tray icon, when it is on.");
    const QCommandLineOption space("space", "Open the space map on this folder.", "folder");
    const QCommandLineOption help({"h", "help"}, "Show this help.");
    const QCommandLineOption version({"v", "version"}, "Show the version.");
    parser.addOptions({login, space, help, version});
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        std::fputs("usage: ampa [--login | --space FOLDER | --help | --version]\n", stdout);
        return 0;
    }
    if (parsed && parser.isSet(version)) {
        std::fputs("ampa " AMPA_VERSION "\n", stdout);
        return 0;
    }
    if (!parsed || !parser.positionalArguments().isEmpty()) {
        std::fputs("usage: ampa [--login | --space FOLDER | --help | --version]\n", stderr);
        return 2;
    }
    const bool launchedAtLogin = parser.isSet(login);
    // Absolute here: a running Ampa has a working folder of its own.
    const QString spaceFolder =
        parser.isSet(space) ? QFileInfo(parser.value(space)).absoluteFilePath() : QString();
    // Before the display is opened or any file touched: another user's home is not ours to clean.
    if (const auto refusal = Engine::refusalToRun()) {
        std::fputs(qPrintable(runRefusalText(*refusal) + QLatin1Char('\n')), stderr);
        return 2;
    }
    Engine::raiseOpenFileLimit();
    // Qt Quick's texture atlas holds only the symbols here, a few kilobytes: its default size,
    // as large as the window, reserves four megabytes of texture memory.
    for (const char *side : {"QSG_ATLAS_WIDTH", "QSG_ATLAS_HEIGHT"}) {
        if (!qEnvironmentVariableIsSet(side))
            qputenv(side, "256");
    }
    QApplication app(argc, argv);
    // Text drawn as the desktop draws it, by the font engine at its size, whatever the renderer:
    // crisp at the small sizes the views use, and with OpenGL a glyph cache of a few kilobytes
    // per size instead of a distance field texture per weight (more than a megabyte in all).
    QQuickWindow::setTextRenderType(QQuickWindow::NativeTextRendering);
    QApplication::setApplicationName("Ampa");
    QApplication::setOrganizationName("Ampa");
    QApplication::setDesktopFileName("app.ampa.Ampa");
    // Closing the main window decides by itself whether the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    // Told through the environment: QQuickStyle would link Qt Quick Controls, and load them with
    // their templates at every start, though the first frame uses none.
    qputenv("QT_QUICK_CONTROLS_STYLE", "Fusion");

    WindowPreload preload;
    SingleInstance instance;
    if (!instance.claim(launchedAtLogin, spaceFolder))
        return 0;
    AppShell shell(preload, launchedAtLogin);
    QObject::connect(&instance, &SingleInstance::activated, &shell, [&shell] { shell.openMain(); });
    QObject::connect(&instance, &SingleInstance::folderOpened, &shell, &AppShell::showSpace);
    if (!spaceFolder.isEmpty())
        shell.showSpace(spaceFolder);
    return QApplication::exec();
}
