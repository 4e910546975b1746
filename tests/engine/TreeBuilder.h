#pragma once

#include <QStringList>
#include <QtGlobal>

#include <filesystem>
#include <map>
#include <string>

// Small helpers that make real files for engine tests. Each fails the running test (through
// qFatal) when the fixture cannot be made, so a broken fixture never passes as an empty tree.
namespace TreeBuilder {

// A file of `bytes` bytes of non-zero data, with its parent folders.
void file(const std::filesystem::path &path, qint64 bytes);
void folder(const std::filesystem::path &path);
void symlink(const std::filesystem::path &target, const std::filesystem::path &link);

// st_blocks × 512 of the item itself, links not followed.
qint64 allocated(const std::filesystem::path &path);

// Every item below `root` (links not followed) with its type, size and content hash or link
// target, keyed by its raw relative path: compared before and after, it shows that nothing was
// touched.
std::map<std::string, std::string> manifest(const std::filesystem::path &root);

// Opens every folder from `path` up to the test home for an unprivileged user.
void makePassable(const std::filesystem::path &path);

// Runs ampa-test-helper (beside the test) and returns what it printed; fails the test when it
// does not finish with exit code 0.
QByteArray runHelper(const QStringList &arguments);

} // namespace TreeBuilder
