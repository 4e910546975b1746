#pragma once

#include "DevCache.h"

#include <optional>

// A developer cache as the views show it: what the catalogue found, with what the last scan
// measured and saw.
struct DevItem {
    Engine::DevCache cache;
    std::optional<qint64> size; // unset when kept, or when only the owner's command would tell
    bool running = false;
    bool kept = false;
};
