#pragma once

#include "CacheTarget.h"
#include "FolderRules.h"
#include "Removal.h"

#include <QString>
#include <QtGlobal>

#include <filesystem>
#include <optional>
#include <vector>

namespace Engine {

using CleanResult = RemovalResult;

// What the target resolves to now, in catalogue order (its old releases for the codex target);
// missing folders are left out. Measuring, previewing and cleaning all go through this.
std::vector<TargetFolder> resolve(const CacheTarget &target);

// The folders that a clean of the target would measure and remove now (the refused ones left out).
std::vector<std::filesystem::path> urls(const CacheTarget &target);

// What cleaning the folder would give back: the folder and all in it, or only what it holds when
// it is reached through a link (the folder stays). 0 for a refused folder.
qint64 size(const TargetFolder &folder);

// What cleaning the target would give back, the sum over what it resolves to; 0 when nothing
// exists.
qint64 size(const CacheTarget &target);

// Removes each folder the target resolves to, for good (empties those reached through a link).
// `freed` is what really came free, failures included; a failure or a refused folder leaves
// its `failure` and the clean goes on with the next folder. With `only`, just the folders whose
// `path` is among them: what a person was shown and agreed to, never more.
CleanResult clean(const CacheTarget &target,
                  const std::optional<std::vector<std::filesystem::path>> &only = std::nullopt);

} // namespace Engine
