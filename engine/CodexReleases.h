#pragma once

#include <QString>

#include <filesystem>
#include <vector>

namespace Engine {

// The installation roots of the command-line tool whose old releases the quick clean removes,
// in the order they are scanned.
std::vector<std::filesystem::path> codexRoots();

// The release folders that may go: in each root's "releases" folder, every release (a real,
// non-hidden folder) except the two newest (numeric-aware order), the one "current" points at,
// and any that a running process's command line names (its folder path followed by "/"). Lists
// the command lines once, with `psPath -axo command`, before looking at any folder; when that
// fails, no release can be known to be unused and none is returned.
std::vector<std::filesystem::path> codexOldReleases(const QString &psPath = "/bin/ps");

// Numeric-aware, case-sensitive, locale-free order: runs of digits compare by their value, so
// "0.9.1" sorts before "0.10.0". Negative, zero or positive, like strcmp.
int numericCompare(const QString &a, const QString &b);

} // namespace Engine
