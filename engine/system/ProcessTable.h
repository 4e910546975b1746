#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// What the kernel tells about running processes, read from /proc. `procRoot` is where the process
// file system is mounted; only tests pass another folder.
namespace Engine {

// The ids (the numeric names) of every process listed there; nothing when the folder cannot be
// listed.
std::optional<std::vector<std::string>> processIds(const std::filesystem::path &procRoot = "/proc");

// Where the process's link `name` ("exe", "cwd") points, without the " (deleted)" mark of a file
// replaced on disk; empty when it cannot be read (the process is gone or belongs to someone the
// caller may not inspect).
std::filesystem::path processLink(const std::string &pid, const char *name,
                                  const std::filesystem::path &procRoot = "/proc");

// The process's arguments as the kernel keeps them, each ended by a NUL, read to the end; empty for
// a kernel thread, a zombie or a process that is gone.
std::string processCommandLine(const std::string &pid,
                               const std::filesystem::path &procRoot = "/proc");

// The files the process has mapped (its libraries, its program, files it maps to read), each
// once; empty when they cannot be read.
std::vector<std::filesystem::path>
processMappedFiles(const std::string &pid, const std::filesystem::path &procRoot = "/proc");

} // namespace Engine
