#include "ProjectMarkers.h"

#include <algorithm>
#include <iterator>

namespace Engine {

namespace {

constexpr ProjectMarker markers[] = {
    {"package.json", "node"},
    {"Cargo.toml", "rust"},
    {"pom.xml", "maven"},
    {"build.gradle", "gradle"},
    {"build.gradle.kts", "gradle"},
    {"settings.gradle", "gradle"},
    {"settings.gradle.kts", "gradle"},
    {"pyproject.toml", "python"},
    {"setup.py", "python"},
    {"setup.cfg", "python"},
    {"requirements.txt", "python"},
    {"Pipfile", "python"},
    {"CMakeLists.txt", "cmake"},
    {"mix.exs", "elixir"},
    {"pubspec.yaml", "dart"},
    {"build.zig", "zig"},
    {"go.mod", "go"},
    {"angular.json", "node"},
    {"meson.build", "other"},
};

} // namespace

std::span<const ProjectMarker> projectMarkers()
{
    return markers;
}

bool marksProject(std::string_view name)
{
    return name == ".git"
           || std::any_of(std::begin(markers), std::end(markers),
                          [name](const ProjectMarker &m) { return name == m.file; });
}

} // namespace Engine
