#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

// Small helpers that make real files for tests, under raw-byte names (a QString would mangle a
// name that is not UTF-8). Each stops the test (qFatal) when the fixture cannot be made, so a
// broken fixture never passes as an empty tree.
namespace TreeBuilder {

// A file of `bytes` bytes of non-zero data, with its parent folders, flushed so that its
// allocation is final.
void file(const std::filesystem::path &path, qint64 bytes);
// A file holding exactly `data`, with its parent folders.
void write(const std::filesystem::path &path, const QByteArray &data);
// What the file holds; nothing when it cannot be read.
QByteArray read(const std::filesystem::path &path);
void folder(const std::filesystem::path &path);
void symlink(const std::filesystem::path &target, const std::filesystem::path &link);
// A folder holding one entry for each of `holds` (names or fnmatch patterns, '|' between
// alternatives): the first alternative, its wildcards made into plain characters.
void shaped(const std::filesystem::path &path, const std::vector<std::string> &holds);

// st_blocks × 512 of the item itself, links not followed.
qint64 allocated(const std::filesystem::path &path);

// Every item below `root` (links not followed) with its type, size and content hash or link
// target, keyed by its raw relative path: compared before and after, it shows that nothing was
// touched.
std::map<std::string, std::string> manifest(const std::filesystem::path &root);

// Opens every folder from `path` up to the test home for an unprivileged user.
void makePassable(const std::filesystem::path &path);

} // namespace TreeBuilder
