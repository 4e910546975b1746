#include "WindowPreload.h"

#include "SymbolImageProvider.h"

#include <QFontDatabase>
#include <QIcon>

WindowPreload::WindowPreload()
    // Reading every font's family and style through fontconfig is the largest part of laying
    // out the first text, and the font database may be read from any thread.
    : fonts([] { QFontDatabase::families(); }),
      iconTheme(!QIcon::themeName().isEmpty() && QIcon::themeName() != QLatin1String("hicolor"))
{
    prepareEngine(qml);
    // Made later from the same file, which the loader then finds compiled or nearly so.
    mainWindow.loadUrl(mainWindowUrl(), QQmlComponent::Asynchronous);
}
