#pragma once

#include "SpaceHistory.h"

#include <QString>

// The space map's history in words, in the language the settings hold now.

// Why the history found could not be used and what became of it; empty when there was nothing
// wrong.
QString historyProblemText(const Engine::HistoryProblem &problem);

// A signed size: "+3.2 GB", "−1.1 GB" (a true minus sign), "no change" for none.
QString grownText(qint64 bytes);

// When the walk compared with was, from `now` (both seconds since 1970, local time): "since
// 14:05" the same day, "since yesterday", "since Monday" within the week, "since 3 Nov" within
// the year, "since 3 Nov 2025" before.
QString sinceText(qint64 then, qint64 now);

// "+3.2 GB since Monday".
QString grownSinceText(qint64 bytes, qint64 then, qint64 now);
