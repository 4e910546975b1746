#pragma once

#include <span>
#include <string_view>

namespace Engine {

// A file whose presence makes its folder a project, and the project's kind ("node", "rust", …).
struct ProjectMarker {
    const char *file;
    const char *kind;
};

// Every project marker, the surest kind first: a folder with several takes the first one's kind.
std::span<const ProjectMarker> projectMarkers();

// Whether an entry called `name` makes its folder a project or a checkout of one (a marker or
// `.git`). The projects pane finds projects by it; no other clean offers what lies inside one.
bool marksProject(std::string_view name);

} // namespace Engine
