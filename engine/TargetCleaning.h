#pragma once

#include "CacheTarget.h"

#include <QString>
#include <QtGlobal>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

struct CleanResult {
    qint64 freed = 0;
    std::optional<QString> error; // the last failure's description; none when all went
};

// The target's folders that exist now, in catalogue order (its old releases for the codex
// target). A missing folder is left out; a symbolic link that leads to a folder is kept, and is
// measured and removed as the link it is.
std::vector<std::filesystem::path> urls(const CacheTarget &target);

// Allocated bytes of everything the target resolves to; 0 when nothing exists.
qint64 size(const CacheTarget &target);

// Removes each folder the target resolves to, for good. A folder counts towards `freed` (its size
// measured just before) only when it went entirely; a failure leaves `error` and the removal
// goes on with the next folder.
CleanResult clean(const CacheTarget &target);

} // namespace Engine
