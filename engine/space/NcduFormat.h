#pragma once

#include "SpaceTree.h"
#include "Stop.h"

#include <filesystem>
#include <memory>
#include <string>

namespace Engine {

// Scans exchanged with ncdu in its JSON export format (`ncdu -o FILE` writes one, `ncdu -f FILE`
// reads one).

// Why a saved scan could not be read.
enum class ScanProblem {
    none,
    unreadable,  // the file could not be opened or read (`detail`: the system's reason)
    notAScan,    // not JSON, or JSON that is not an export (`detail`: what was found)
    newerFormat, // an export of a major version this program does not know
    tooDeep,     // folders nested deeper than any file system holds
    badName,     // an empty name, ".", "..", one holding "/" or a NUL byte, or far too long
    duplicate,   // a second entry of the same name in one folder
    badSize,     // a size that is negative, not a whole number, or larger than any disk
    tooLarge,    // more entries than a tree holds
    stopped,     // the reading was stopped
};

struct ScanRead {
    std::unique_ptr<SpaceTree> tree; // null unless read whole
    ScanProblem problem = ScanProblem::none;
    qint64 offset = 0;    // the byte of the file where the problem lies
    std::string detail;   // more about it, as the file has it
    qint64 timestamp = 0; // when the scan was made, in seconds; 0 when the file does not say
};

// Reads an export into a tree (SpaceTree::fromScan): read only, nothing on disk is its.
ScanRead readNcdu(const std::filesystem::path &file, const std::atomic<bool> *stop = currentStop());

// Writes the tree as an export that ncdu reads back; false and `error` set (the system's
// reason) when the file could not be written, and then no partial file is left.
bool writeNcdu(const SpaceTree &tree, const std::filesystem::path &file, std::string *error);

} // namespace Engine
