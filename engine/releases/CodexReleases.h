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
// and any that a running process of any user uses: its executable or working folder lies inside the
// release (or is it), or one of its arguments names a path inside it (the release's path followed
// by "/", or the release's path as the whole argument). Each release is compared as listed and
// with its links resolved, since a root may be reached through a link. Processes are read once
// from `procRoot`, after the folders are listed; when no process can be listed there, no release
// can be known to be unused and none is returned.
std::vector<std::filesystem::path>
codexOldReleases(const std::filesystem::path &procRoot = "/proc");

// Numeric-aware, case-sensitive, locale-free order: runs of digits compare by their value, so
// "0.9.1" sorts before "0.10.0". Negative, zero or positive, like strcmp.
int numericCompare(const QString &a, const QString &b);

} // namespace Engine
