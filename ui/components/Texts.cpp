#include "Texts.h"

#include "Text.h"

#include <QLocale>

QString Texts::bilingual(const QString &indonesian, const QString &english) const
{
    return ::bilingual(indonesian, english);
}

QString Texts::fmt(double bytes) const
{
    return ::fmt(static_cast<qint64>(bytes));
}

QString Texts::withSize(const QString &name, const QVariant &size) const
{
    bool measured = false;
    const double bytes = size.toDouble(&measured);
    return measured ? name + QStringLiteral(", ") + fmt(bytes) : name;
}

QString Texts::uptimeText(double seconds) const
{
    return ::uptimeText(seconds);
}

QString Texts::shortDate(const QDateTime &date) const
{
    const QLocale locale(isIndonesian() ? QLocale::Indonesian : QLocale::English,
                         isIndonesian() ? QLocale::Indonesia : QLocale::UnitedStates);
    return locale.toString(date.toLocalTime().date(),
                           isIndonesian() ? "d MMM yyyy" : "MMM d, yyyy");
}
