#include "SpaceTexts.h"

#include "Text.h"

#include <QDateTime>
#include <QLocale>

namespace {

QLocale interfaceLocale()
{
    return isIndonesian() ? QLocale(QLocale::Indonesian, QLocale::Indonesia)
                          : QLocale(QLocale::English, QLocale::UnitedStates);
}

} // namespace

QString spaceAgeText(qint64 seconds, qint64 now)
{
    if (seconds <= 0)
        return {};
    const qint64 ago = now - seconds;
    // A minute of difference between clocks (a file just written on a share) is not the future.
    if (ago < -60)
        return bilingual(QStringLiteral("di masa depan"), QStringLiteral("in the future"));
    if (ago < 60)
        return bilingual(QStringLiteral("baru saja"), QStringLiteral("just now"));
    struct Unit {
        qint64 seconds;
        const char *indonesian;
        const char *one;
        const char *many;
    };
    // Calendar months and years vary; an age shown in whole units needs no more than averages.
    static constexpr Unit units[] = {
        {365 * 86400 + 86400 / 4, "%1 tahun lalu", "%1 year ago", "%1 years ago"},
        {30 * 86400 + 5 * 3600, "%1 bulan lalu", "%1 month ago", "%1 months ago"},
        {7 * 86400, "%1 minggu lalu", "%1 week ago", "%1 weeks ago"},
        {86400, "%1 hari lalu", "%1 day ago", "%1 days ago"},
        {3600, "%1 jam lalu", "%1 hour ago", "%1 hours ago"},
        {60, "%1 menit lalu", "%1 minute ago", "%1 minutes ago"},
    };
    for (const Unit &unit : units) {
        const qint64 whole = ago / unit.seconds;
        if (whole >= 1)
            return bilingual(QString::fromLatin1(unit.indonesian),
                             QString::fromLatin1(whole == 1 ? unit.one : unit.many))
                .arg(interfaceLocale().toString(whole));
    }
    return {};
}

QString spaceTimeText(qint64 seconds)
{
    if (seconds <= 0)
        return {};
    const QDateTime at = QDateTime::fromSecsSinceEpoch(seconds).toLocalTime();
    return interfaceLocale().toString(at, isIndonesian()
                                              ? QStringLiteral("d MMMM yyyy HH.mm.ss")
                                              : QStringLiteral("MMMM d, yyyy, HH:mm:ss"));
}

QString spaceCountText(qint64 count)
{
    return bilingual(QStringLiteral("%1 entri"),
                     count == 1 ? QStringLiteral("%1 entry") : QStringLiteral("%1 entries"))
        .arg(interfaceLocale().toString(count));
}
