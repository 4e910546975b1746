#pragma once

#include "SpaceTree.h"

#include <vector>

// The entries `listed`, each of those `shown` at its row still and the new ones after, in the
// order given: while a walk runs, sizes grow and rows would otherwise trade places under the
// pointer.
std::vector<Engine::SpaceTree::Entry> inPlace(const std::vector<Engine::SpaceTree::Entry> &shown,
                                              std::vector<Engine::SpaceTree::Entry> listed);
