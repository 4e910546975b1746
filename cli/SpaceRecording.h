#pragma once

#include "SpaceHistory.h"
#include "SpaceTree.h"

#include <memory>
#include <optional>

// The space map's history as the terminal's walks use it.

// The history for this run: begun when missing only if `recording`; otherwise one that exists is
// opened to read growth from, and none is made. Null when there is none to use. Why one found
// was set aside goes to standard error here, once.
std::unique_ptr<Engine::SpaceHistory> openSpaceHistory(bool recording);

// The scheduled run's walk of the home, recorded when the setting is on and the history holds
// no walk of the home from this day. Runs on the calling thread under its stop flag: a stopped
// walk is not recorded. True when a walk was recorded.
bool recordHomeOncePerDay();
