pragma Singleton
import QtQuick

// The one mapping from the symbol names the views use to names of the icon theme.
QtObject {
    readonly property var names: ({
        "shippingbox": "package",
        "globe": "globe",
        "video": "camera-video",
        "arrow.down.circle": "download",
        "mug": "package-x-generic",
        "cube": "package-x-generic",
        "hammer": "tools",
        "message": "dialog-messages",
        "cpu": "cpu",
        "arrow.triangle.2.circlepath": "view-refresh",
        "doc.badge.clock": "document-open-recent",
        "theatermasks": "games-config-theme",
        "trash": "user-trash",
        "sparkles": "tools-wizard",
        "slider.horizontal.3": "configure",
        "checkmark": "checkmark",
        "checkmark.circle.fill": "dialog-ok-apply",
        "xmark": "window-close",
        "arrow.clockwise": "view-refresh",
        "arrow.clockwise.circle.fill": "view-refresh",
        "magnifyingglass": "system-search",
        "square.grid.2x2": "view-grid",
        "list.bullet": "view-list-details",
        "macwindow": "window",
        "power": "system-shutdown",
        "gearshape": "settings-configure",
        "sidebar.left": "view-split-left-right",
        "rectangle.grid.1x2": "view-split-top-bottom",
        "circle.lefthalf.filled": "color-mode-invert-text",
        "sun.max": "weather-clear",
        "moon": "weather-clear-night",
        "app": "applications-other",
        "list.bullet.rectangle": "view-media-playlist"
    })

    function name(symbol) {
        return names[symbol] !== undefined ? names[symbol] : symbol
    }

    // An image source for the symbol drawn in `tint`, or in the theme's own colours without one.
    function source(symbol, tint) {
        const base = "image://symbol/" + name(symbol)
        return tint === undefined ? base : base + "/" + String(tint).slice(1)
    }
}
