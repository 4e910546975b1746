#pragma once

#include <QtGlobal>

namespace Engine {

// What the walks and removals of this process have done so far, for a progress line on a
// terminal. Nothing is counted until counting is turned on: the window shows its work otherwise,
// and its walks should not pay for a count no one reads. Safe from any thread.
struct WorkCount {
    qint64 measuredEntries = 0; // entries a walk listed
    qint64 measuredBytes = 0;   // their allocated bytes (files with several links left out)
    qint64 removedEntries = 0;  // files and links removed
    qint64 removedBytes = 0;    // the bytes their removal gave back
};

// Turns counting on from now, starting again from zero.
void startCounting();
// What was counted since startCounting; all zero when counting is off.
WorkCount workCount();

// Called by the walks and removals: cheap (one relaxed load) while counting is off.
void countMeasured(qint64 entries, qint64 bytes);
void countRemoved(qint64 entries, qint64 bytes);

} // namespace Engine
