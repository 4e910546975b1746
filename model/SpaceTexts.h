#pragma once

#include <QString>
#include <QtGlobal>

// The space map's texts for counts and times, in the language the settings hold now.

// How long ago `seconds` (since the epoch) was, seen at `now`: "just now", "5 minutes ago",
// "3 days ago", "2 years ago" ("baru saja", "3 hari lalu", …). Empty for 0 (no time known); a
// time after `now` (a clock set wrong) is "in the future".
QString spaceAgeText(qint64 seconds, qint64 now);
// The time itself, to the second, in local time ("May 3, 2026, 14:02:07", "3 Mei 2026 14.02.07");
// empty for 0.
QString spaceTimeText(qint64 seconds);
// The number of entries below a folder: "1 entry", "1,234 entries" ("1.234 entri").
QString spaceCountText(qint64 count);
