// ampa: the window program. It takes no argument but --login, which the autostart entry passes.

#include "AppShell.h"
#include "ProcessLimits.h"
#include "RunAs.h"

#include <QApplication>
#include <QIcon>
#include <QQuickStyle>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>
#include <cstring>

Q_IMPORT_QML_PLUGIN(AmpaPlugin)

int main(int argc, char *argv[])
{
    // Checked before anything else, so a wrong call gets its answer even without a display.
    const bool launchedAtLogin = argc == 2 && std::strcmp(argv[1], "--login") == 0;
    if (argc > 1 && !launchedAtLogin) {
        std::fputs("usage: ampa [--login]\n", stderr);
        return 2;
    }
    // Before the display is opened or any file touched: another user's home is not ours to clean.
    if (const auto refusal = Engine::refusalToRun()) {
        std::fputs(qPrintable(*refusal + QLatin1Char('\n')), stderr);
        return 2;
    }
    Engine::raiseOpenFileLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Ampa");
    QApplication::setOrganizationName("Ampa");
    QApplication::setDesktopFileName("app.ampa.Ampa");
    QApplication::setWindowIcon(QIcon::fromTheme("app.ampa.Ampa", QIcon(":/app.ampa.Ampa.svg")));
    // Closing the main window decides by itself whether the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    QQuickStyle::setStyle("Fusion");

    AppShell shell(launchedAtLogin);
    return QApplication::exec();
}
