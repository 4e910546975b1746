#pragma once

#include <QtGlobal>

#include <filesystem>
#include <string_view>

// Small helpers that make real files for engine tests. Each fails the running test (through
// qFatal) when the fixture cannot be made, so a broken fixture never passes as an empty tree.
namespace TreeBuilder {

// A file of `bytes` bytes of non-zero data, with its parent folders.
void file(const std::filesystem::path &path, qint64 bytes);
void folder(const std::filesystem::path &path);
void symlink(const std::filesystem::path &target, const std::filesystem::path &link);

// st_blocks × 512 of the item itself, links not followed.
qint64 allocated(const std::filesystem::path &path);

} // namespace TreeBuilder
