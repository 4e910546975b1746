#pragma once

// This process's memory as /proc/self/status gives it, in KiB; 0 when it cannot be read.
// VmHWM, the peak, starts anew at exec; getrusage's ru_maxrss does not (a child would report the
// peak of the process that forked it).
long peakKiB();
long currentKiB();

// The peak of another process of ours, read while it runs.
long peakKiBOf(int pid);
