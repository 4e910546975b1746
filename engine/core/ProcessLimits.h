#pragma once

namespace Engine {

// Raises this process's soft limit of open descriptors to its hard limit. Measuring keeps one
// descriptor open per level of a tree it is inside; the usual soft limit (1024) is lower than
// some trees are deep. Programs call it once at start.
void raiseOpenFileLimit();

// How many threads a parallel walk runs, itself included. More than cores: on a cold disk most of
// them wait for the device, and the more reads it has in hand the sooner they all come back (the
// first scan after login is cold). On a warm cache the extra ones cost next to nothing.
unsigned walkThreads();

} // namespace Engine
