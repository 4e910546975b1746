#include "Icons.h"

#include <QFile>
#include <QUrl>

QString Icons::ownSymbol(const QString &symbol)
{
    const QString path = QStringLiteral(":/symbols/") + symbol + QStringLiteral(".svg");
    return !symbol.isEmpty() && !symbol.contains(QLatin1Char('/')) && QFile::exists(path)
               ? path
               : QString();
}

QString Icons::source(const QString &symbol, const QColor &tint)
{
    // Percent-encoded: an icon named by its file has slashes of its own.
    const QString base =
        QStringLiteral("image://symbol/") + QString::fromUtf8(QUrl::toPercentEncoding(symbol));
    return tint.isValid() && tint.alpha() > 0 ? base + "/" + tint.name(QColor::HexRgb).mid(1)
                                              : base;
}
