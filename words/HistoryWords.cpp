#include "HistoryWords.h"

#include "Paths.h"
#include "Text.h"

#include <QDateTime>
#include <QLocale>

namespace {

QLocale locale()
{
    return isIndonesian() ? QLocale(QLocale::Indonesian, QLocale::Indonesia)
                          : QLocale(QLocale::English, QLocale::UnitedKingdom);
}

} // namespace

QString historyProblemText(const Engine::HistoryProblem &problem)
{
    using Kind = Engine::HistoryProblem::Kind;
    const QString kept = isolatedName(Engine::displayPath(problem.keptAs));
    QString why;
    switch (problem.kind) {
    case Kind::none:
        return {};
    case Kind::unusable:
        return bilingual(QStringLiteral("Riwayat ruang tidak bisa dibuka (%1); tidak ada yang "
                                        "dicatat."),
                         QStringLiteral("The space history could not be opened (%1); nothing is "
                                        "recorded."))
            .arg(problem.detail);
    case Kind::newer:
        why = bilingual(QStringLiteral("Riwayat ruang ditulis oleh Ampa yang lebih baru."),
                        QStringLiteral("The space history was written by a newer Ampa."));
        break;
    case Kind::damaged:
        why = bilingual(QStringLiteral("Riwayat ruang rusak."),
                        QStringLiteral("The space history was damaged."));
        break;
    case Kind::notDatabase:
        why = bilingual(QStringLiteral("Yang ada di tempat riwayat ruang bukan riwayat."),
                        QStringLiteral("What lay in the space history's place was no history."));
        break;
    }
    if (problem.keptAs.empty())
        return why + ' '
               + bilingual(QStringLiteral("Riwayat baru dimulai."),
                           QStringLiteral("A new history was begun."));
    return why + ' '
           + bilingual(QStringLiteral("Berkas lama disimpan sebagai %1 dan riwayat baru dimulai."),
                       QStringLiteral("The old file was kept as %1 and a new history begun."))
                 .arg(kept);
}

QString grownText(qint64 bytes)
{
    if (bytes > 0)
        return '+' + fmt(bytes);
    if (bytes < 0)
        return QChar(0x2212) + fmt(-bytes);
    return bilingual(QStringLiteral("tetap"), QStringLiteral("no change"));
}

QString sinceText(qint64 then, qint64 now)
{
    const QDateTime at = QDateTime::fromSecsSinceEpoch(then);
    const QDate day = at.date();
    const QDate today = QDateTime::fromSecsSinceEpoch(now).date();
    const QLocale shown = locale();
    if (day == today)
        return bilingual(QStringLiteral("sejak pukul %1"), QStringLiteral("since %1"))
            .arg(shown.toString(at.time(), isIndonesian() ? "HH.mm" : "HH:mm"));
    if (day.daysTo(today) == 1)
        return bilingual(QStringLiteral("sejak kemarin"), QStringLiteral("since yesterday"));
    if (day.daysTo(today) > 1 && day.daysTo(today) < 7)
        return bilingual(QStringLiteral("sejak %1"), QStringLiteral("since %1"))
            .arg(shown.dayName(day.dayOfWeek()));
    const QString format =
        day.year() == today.year() ? QStringLiteral("d MMM") : QStringLiteral("d MMM yyyy");
    return bilingual(QStringLiteral("sejak %1"), QStringLiteral("since %1"))
        .arg(shown.toString(day, format));
}

QString grownSinceText(qint64 bytes, qint64 then, qint64 now)
{
    return grownText(bytes) + ' ' + sinceText(then, now);
}
