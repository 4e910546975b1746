// ampa: the window program. It takes no argument but --login, which the autostart entry passes.

#include "AppShell.h"
#include "ProcessLimits.h"

#include <QApplication>
#include <QQuickStyle>
#include <QTextStream>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(AmpaPlugin)

int main(int argc, char *argv[])
{
    Engine::raiseOpenFileLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName("Ampa");
    QApplication::setOrganizationName("Ampa");
    QApplication::setDesktopFileName("ampa");
    // Closing the main window decides by itself whether the program ends.
    QApplication::setQuitOnLastWindowClosed(false);
    QQuickStyle::setStyle("Fusion");

    const QStringList arguments = QApplication::arguments().mid(1);
    const bool launchedAtLogin = arguments == QStringList{"--login"};
    if (!arguments.isEmpty() && !launchedAtLogin) {
        QTextStream(stderr) << "usage: ampa [--login]\n";
        return 2;
    }
    AppShell shell(launchedAtLogin);
    return QApplication::exec();
}
