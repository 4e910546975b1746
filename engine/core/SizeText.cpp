#include "SizeText.h"

#include <QLocale>

#include <array>
#include <cmath>

namespace {

struct Unit {
    const char *name;
    int decimals;
};
constexpr std::array<Unit, 6> units{
    {{"KB", 0}, {"MB", 1}, {"GB", 2}, {"TB", 2}, {"PB", 2}, {"EB", 2}}};

QString withoutTrailingZeros(QString text, const QLocale &locale)
{
    const QString point = locale.decimalPoint();
    if (!text.contains(point))
        return text;
    const QString zero = locale.zeroDigit();
    while (text.endsWith(zero))
        text.chop(zero.size());
    if (text.endsWith(point))
        text.chop(point.size());
    return text;
}

} // namespace

QString fmt(qint64 bytes)
{
    if (bytes <= 0)
        return QStringLiteral("0 MB");
    if (bytes == 1)
        return QStringLiteral("1 byte");
    const QLocale locale;
    if (bytes < 1000)
        return locale.toString(bytes) + QStringLiteral(" bytes");

    double value = static_cast<double>(bytes) / 1000.0;
    for (std::size_t i = 0;; ++i) {
        const Unit &unit = units[i];
        const double scale = std::pow(10.0, unit.decimals);
        const double rounded = std::round(value * scale) / scale;
        // Promote when rounding reaches the next unit, so 999 999 bytes reads "1 MB", not "1000
        // KB".
        if (rounded < 1000.0 || i + 1 == units.size()) {
            const QString number =
                withoutTrailingZeros(locale.toString(rounded, 'f', unit.decimals), locale);
            return number + QLatin1Char(' ') + QLatin1String(unit.name);
        }
        value /= 1000.0;
    }
}
