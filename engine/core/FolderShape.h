#pragma once

#include <filesystem>
#include <string>
#include <vector>

// What a tool's folder holds that a person's own folder does not. A cache kept elsewhere through
// a link is a supported set-up, but a link can lead anywhere: it is followed only to a folder of
// the shape its cache has, so a link to a source tree is never taken for the cache.
namespace Engine {

struct FolderShape {
    std::filesystem::path folder; // as the catalogue names it ("~/…" for the home)
    // Each element must be matched by one entry of the folder: names or fnmatch(3) patterns,
    // alternatives separated by '|' ("http-v2|http|wheels"); "a/b" is a folder matching "a"
    // that holds an entry matching "b". The more a shape names, the less a person's own folder
    // can pass for the cache.
    std::vector<std::string> holds;
};
using FolderShapes = std::vector<FolderShape>;

// Whether the folder at `real` holds an entry for every element of the shape.
bool hasShape(const std::filesystem::path &real, const FolderShape &shape);

// The shape given for the folder named `named`, or nothing.
const FolderShape *shapeOf(const FolderShapes &shapes, const std::filesystem::path &named);

} // namespace Engine
