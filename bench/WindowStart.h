#pragma once

#include <filesystem>

// The window program's start against a Qt Quick hello world: time from starting the process to
// its first complete frame, and resident memory once it has settled after its first scan, with
// the software renderer and with OpenGL. Each program starts again and again in a home of its
// own under `base`, as on a desktop where it started before; the first start in a new home is
// timed apart. All run on an Xvfb display and a session bus of the benchmark's own. Then, in runs
// of their own, the time from asking for each pane of the sidebar to its first frame, when it is
// first opened. Prints figures and ratios; a missing tool or program prints why the measurement
// was skipped.
namespace WindowStart {

void measure(const std::filesystem::path &base, int runs = 7);

} // namespace WindowStart
