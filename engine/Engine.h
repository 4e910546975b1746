#pragma once

// The stateless operations that measure, probe and remove. Engine operations never throw and
// never show anything: a failure becomes a neutral value (0, empty, the current time) or a
// Failure, as data, as each header says. The words that show them are words/'s, included by
// whoever shows them.
#include "ActivityLog.h"    // IWYU pragma: export
#include "CacheTarget.h"    // IWYU pragma: export
#include "CodexReleases.h"  // IWYU pragma: export
#include "LargeItems.h"     // IWYU pragma: export
#include "Office.h"         // IWYU pragma: export
#include "Paths.h"          // IWYU pragma: export
#include "Removal.h"        // IWYU pragma: export
#include "RunningApps.h"    // IWYU pragma: export
#include "Shell.h"          // IWYU pragma: export
#include "SystemProbes.h"   // IWYU pragma: export
#include "TargetCleaning.h" // IWYU pragma: export
#include "TreeSize.h"       // IWYU pragma: export
