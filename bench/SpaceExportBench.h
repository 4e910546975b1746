#pragma once

#include <filesystem>

namespace SpaceExportBench {

// Walks `tree`, saves it as an ncdu export beside it and reads that back: prints the time of
// each, the file's size, and "space_export_roundtrip: exact" when every folder's size, apparent
// size, count and newest time came back the same (else how many did not).
void roundTrip(const std::filesystem::path &tree);

} // namespace SpaceExportBench
