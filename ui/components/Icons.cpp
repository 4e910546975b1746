#include "Icons.h"

#include <QHash>

QString Icons::name(const QString &symbol)
{
    static const QHash<QString, QString> names{
        {"shippingbox", "package"},
        {"globe", "globe"},
        {"video", "camera-video"},
        {"arrow.down.circle", "download"},
        {"mug", "package-x-generic"},
        {"cube", "package-x-generic"},
        {"hammer", "tools"},
        {"message", "dialog-messages"},
        {"cpu", "cpu"},
        {"arrow.triangle.2.circlepath", "view-refresh"},
        {"doc.badge.clock", "document-open-recent"},
        {"theatermasks", "games-config-theme"},
        {"trash", "user-trash"},
        {"sparkles", "tools-wizard"},
        {"slider.horizontal.3", "configure"},
        {"checkmark", "checkmark"},
        {"checkmark.circle.fill", "dialog-ok-apply"},
        {"exclamationmark.triangle.fill", "dialog-warning"},
        {"xmark", "window-close"},
        {"arrow.clockwise", "view-refresh"},
        {"arrow.clockwise.circle.fill", "view-refresh"},
        {"magnifyingglass", "system-search"},
        {"square.grid.2x2", "view-grid"},
        {"list.bullet", "view-list-details"},
        {"macwindow", "window"},
        {"power", "system-shutdown"},
        {"gearshape", "settings-configure"},
        {"sidebar.left", "view-split-left-right"},
        {"rectangle.grid.1x2", "view-split-top-bottom"},
        {"circle.lefthalf.filled", "color-mode-invert-text"},
        {"sun.max", "weather-clear"},
        {"moon", "weather-clear-night"},
        {"app", "applications-other"},
        {"list.bullet.rectangle", "view-media-playlist"},
        {"sparkles.rectangle.stack", "view-refresh"},
        {"square.grid.3x3", "view-grid"},
    };
    return names.value(symbol, symbol);
}

QString Icons::source(const QString &symbol, const QColor &tint)
{
    const QString base = "image://symbol/" + name(symbol);
    return tint.isValid() && tint.alpha() > 0 ? base + "/" + tint.name(QColor::HexRgb).mid(1)
                                              : base;
}
