#pragma once

#include <atomic>

namespace Engine {

// Work done for an owner that may go away (the model, when the program quits) runs under a stop
// flag: walks, scanners, removals and child processes look at it between entries and end early,
// returning what they have, once it is set. The flag belongs to the thread doing the work; the
// threads the engine starts for that work look at the same flag.
class StopScope {
public:
    explicit StopScope(const std::atomic<bool> *flag);
    ~StopScope();
    StopScope(const StopScope &) = delete;
    StopScope &operator=(const StopScope &) = delete;

private:
    const std::atomic<bool> *previous;
};

// The flag of the work this thread does; none outside a StopScope.
const std::atomic<bool> *currentStop();

// Whether the work this thread does was asked to stop.
inline bool stopRequested(const std::atomic<bool> *flag = currentStop())
{
    return flag && flag->load(std::memory_order_relaxed);
}

} // namespace Engine
