#include "FolderShape.h"

#include "Paths.h"

#include <algorithm>
#include <fnmatch.h>
#include <string_view>

namespace Engine {

namespace fs = std::filesystem;

namespace {

// Whether an entry of `folder` matches `pattern`; "a/b" is an entry matching "a" that holds one
// matching "b".
bool holds(const fs::path &folder, const std::vector<std::string> &names, std::string_view pattern)
{
    const size_t slash = pattern.find('/');
    const std::string first(pattern.substr(0, slash));
    for (const std::string &name : names) {
        if (fnmatch(first.c_str(), name.c_str(), 0) != 0)
            continue;
        if (slash == std::string_view::npos)
            return true;
        const auto inside = folderEntries(folder / name);
        if (inside && holds(folder / name, *inside, pattern.substr(slash + 1)))
            return true;
    }
    return false;
}

bool holdsOneOf(const fs::path &folder, const std::vector<std::string> &names,
                std::string_view alternatives)
{
    while (true) {
        const size_t bar = alternatives.find('|');
        if (holds(folder, names, alternatives.substr(0, bar)))
            return true;
        if (bar == std::string_view::npos)
            return false;
        alternatives.remove_prefix(bar + 1);
    }
}

} // namespace

bool hasShape(const fs::path &real, const FolderShape &shape)
{
    const auto names = folderEntries(real);
    if (!names || shape.holds.empty())
        return false;
    return std::all_of(shape.holds.begin(), shape.holds.end(), [&](const std::string &element) {
        return holdsOneOf(real, *names, element);
    });
}

const FolderShape *shapeOf(const FolderShapes &shapes, const fs::path &named)
{
    const fs::path wanted = withoutTrailingSlash(named.lexically_normal());
    for (const FolderShape &shape : shapes)
        if (withoutTrailingSlash(url(shape.folder).lexically_normal()) == wanted)
            return &shape;
    return nullptr;
}

} // namespace Engine
