#pragma once

#include "SpaceTree.h"

#include <QString>

#include <optional>
#include <vector>

// The entries `listed`, each of those `shown` at its row still and the new ones after, in the
// order given: while a walk runs, sizes grow and rows would otherwise trade places under the
// pointer.
std::vector<Engine::SpaceTree::Entry> inPlace(const std::vector<Engine::SpaceTree::Entry> &shown,
                                              std::vector<Engine::SpaceTree::Entry> listed);

// How a folder's entries are listed in the window.
struct SpaceView {
    Engine::SpaceOrder order = Engine::SpaceOrder::size;
    bool byGrowth = false; // the largest growth first; `order` among equals
    bool apparent = false; // sizes are the bytes files hold, not the blocks they take
    QString filter;        // a part of the name as shown, in any case; empty: every entry
};

// The entries of `listed` whose name holds the view's filter, in its order: Engine::sortEntries,
// but names in the interface language's order (case aside, "file2" before "file10"), as people
// read a list, with the raw names breaking ties.
std::vector<Engine::SpaceTree::Entry> arranged(std::vector<Engine::SpaceTree::Entry> listed,
                                               const SpaceView &view);

// The entries and their growth beside them (`grown`, one for each, moved alike): the largest
// growth first, those whose growth is not known last; equals keep their order.
void sortByGrowth(std::vector<Engine::SpaceTree::Entry> &entries,
                  std::vector<std::optional<qint64>> &grown);
