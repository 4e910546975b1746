#pragma once

namespace Engine {

// Raises this process's soft limit of open descriptors to its hard limit. Measuring keeps one
// descriptor open per level of a tree it is inside; the usual soft limit (1024) is lower than
// some trees are deep. Programs call it once at start.
void raiseOpenFileLimit();

} // namespace Engine
