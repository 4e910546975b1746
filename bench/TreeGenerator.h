#pragma once

#include <QtGlobal>

#include <filesystem>

// Deterministic trees for the benchmarks. Files get their blocks with fallocate, so large trees
// are quick to make while their allocated sizes are real.
namespace TreeGenerator {

struct Shape {
    int files = 200000;
    int folders = 15000;
    int maxDepth = 12;
    qint64 maxFileBytes = 64 * 1024;
    bool oddities =
        true; // hidden files, sparse files, hard and symbolic links, a FIFO, a locked folder
};

// Makes the tree under `root` (removed first) and returns the sum of its regular files'
// allocated bytes, each counted once per name.
qint64 nested(const std::filesystem::path &root, const Shape &shape);

// One folder holding `files` files.
qint64 flat(const std::filesystem::path &root, int files, qint64 maxFileBytes);

// A chain of `levels` folders, each inside the one before and holding one small file, made
// through descriptors so that it may be deeper than a path can be long. `root` must not exist.
qint64 chain(const std::filesystem::path &root, int levels);

// `projects` projects of four kinds (Node, Rust, Python, CMake), each with its sources and its
// artifacts (node_modules, target, .venv, build), `files` empty files in all, most of them in
// the artifacts as on a developer's disk. Returns nothing: the finding is what is measured.
void projects(const std::filesystem::path &root, int projects, int files);

// Unlocks what `nested` locked, so the tree can be copied and removed.
void unlock(const std::filesystem::path &root);

} // namespace TreeGenerator
