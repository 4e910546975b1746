#include "Text.h"

#include "Settings.h"

#include <cmath>
#include <limits>

bool isIndonesian()
{
    return Settings::instance().indonesian();
}

QString bilingual(const QString &indonesian, const QString &english)
{
    return isIndonesian() ? indonesian : english;
}

QString failedText(const QString &error)
{
    return bilingual(QStringLiteral("Gagal: %1"), QStringLiteral("Failed: %1")).arg(error);
}

QString shownName(const QString &name)
{
    QString shown = name;
    for (QChar &c : shown) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            c = QChar(char16_t(0x2400 + code)); // the Control Pictures block: ␀ … ␟
        else if (code == 0x7f)
            c = QChar(char16_t(0x2421)); // ␡
        else if (code >= 0x80 && code < 0xa0)
            c = QChar(char16_t(0xfffd));
    }
    return shown;
}

QString isolatedName(const QString &name)
{
    return QChar(char16_t(0x2068)) + shownName(name) + QChar(char16_t(0x2069));
}

QString uptimeText(double seconds)
{
    // No caller passes a value outside this range; clamping keeps the cast defined if one does.
    constexpr double limit = static_cast<double>(std::numeric_limits<qint64>::max() / 2);
    if (!std::isfinite(seconds) || seconds < 0)
        seconds = 0;
    const qint64 s = static_cast<qint64>(std::min(seconds, limit));
    const qint64 hours = (s % 86400) / 3600;
    if (s < 86400)
        return bilingual(QStringLiteral("%1 jam"), QStringLiteral("%1 h")).arg(hours);
    const qint64 days = s / 86400;
    return bilingual(QStringLiteral("%1 hari %2 jam"), QStringLiteral("%1 d %2 h"))
        .arg(QString::number(days), QString::number(hours));
}
