#pragma once

#include <filesystem>
#include <vector>

// The home's places that no clean or move takes as a whole: the folders tools keep their files
// in, and those of keys, credentials and configuration. Compared by identity, so a second path
// to one of them (a link, a bind mount) is the same place.
namespace Engine {

// The home and the cache, configuration, data and state folders, links resolved.
std::vector<std::filesystem::path> baseFolders();

// One of the base folders other than the home, `~/.local`, or a folder directly in one of them.
bool baseOrDirectlyIn(const std::filesystem::path &path);

// A place of keys, credentials or configuration: inside `~/.ssh`, `~/.gnupg`, `~/.pki`, a
// keyring or a password store, or the configuration or data folder or a folder directly in it.
bool keysPlace(const std::filesystem::path &path);

} // namespace Engine
