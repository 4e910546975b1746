#pragma once

#include <QString>

#include <filesystem>
#include <optional>

namespace Engine {

// Removes the item at the path for good, folder and all, and returns nothing on success or the
// description of the last failure. Safe against what a hostile or changing tree can do:
// - a symbolic link, at the path itself or anywhere inside, is removed as a link and never
//   followed;
// - another file system mounted inside is left in place and reported, never entered;
// - every step works on descriptors opened without following links, so a folder swapped for a
//   link while the removal runs never leads it outside the folder it opened, and a moved parent
//   stops the removal rather than letting it act elsewhere;
// - a read-only folder that the user owns is made writable first, as `rm -rf` would not;
// - any depth is removed within a bounded number of open descriptors;
// - the folders directly inside go on several threads, since removing mostly waits on the disk.
// What could not be removed stays, and so do the folders that hold it.
std::optional<QString> removeItem(const std::filesystem::path &path);

} // namespace Engine
