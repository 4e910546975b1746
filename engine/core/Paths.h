#pragma once

#include <QString>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Paths are std::filesystem::path: raw bytes, so a name that is not valid UTF-8 still names the
// same file. Convert to QString only to show or log.
namespace Engine {

// The user's home folder: $HOME, else the password database's entry, else "/".
std::filesystem::path homeDir();

// A leading "~" or "~/" replaced by the home folder; any other path unchanged. No existence check.
std::filesystem::path url(const std::filesystem::path &path);

// An XDG base folder: the variable's value when it is an absolute path, else home + fallback
// (for example "XDG_CACHE_HOME", ".cache"). Read afresh at every call.
std::filesystem::path xdgDir(const char *variable, const char *fallbackUnderHome);

// The path without trailing slashes ("/" stays "/"). A trailing slash would make the kernel
// follow a symbolic link that O_NOFOLLOW and lstat must see as a link.
std::filesystem::path withoutTrailingSlash(const std::filesystem::path &path);

// Whether `path` is `folder` or lies inside it, by components ("/a/bc" is not inside "/a/b").
// Both paths are taken as written: normalise them first where it matters.
bool isSameOrInside(const std::filesystem::path &path, const std::filesystem::path &folder);

// Whether something exists at the path, following a symbolic link there (a dangling link is
// nothing).
bool exists(const std::filesystem::path &path);

// Whether a folder itself lies at the path: a link to one is not (lstat).
bool isFolderHere(const std::filesystem::path &path);

// The names in a folder (not "." and ".."), in listing order; nothing when it cannot be listed.
std::optional<std::vector<std::string>> folderEntries(const std::filesystem::path &folder);
// The same for the folder open at `fd` (not taken over), read from its start through a
// descriptor of its own, so the caller's reading position is left alone.
std::optional<std::vector<std::string>> folderEntries(int fd);

// The path as text to show or log: UTF-8 where valid, each invalid byte replaced.
QString displayPath(const std::filesystem::path &path);

// Whether a listed name is "." or "..", which no walk enters.
inline bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

} // namespace Engine
