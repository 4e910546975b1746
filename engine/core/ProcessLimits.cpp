#include "ProcessLimits.h"

#include <algorithm>
#include <sys/resource.h>
#include <thread>

namespace Engine {

void raiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

unsigned walkThreads()
{
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    return std::clamp(4 * cores, 8u, 32u);
}

} // namespace Engine
