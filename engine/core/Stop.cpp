#include "Stop.h"

namespace Engine {

namespace {

thread_local const std::atomic<bool> *current = nullptr;

} // namespace

StopScope::StopScope(const std::atomic<bool> *flag) : previous(current)
{
    current = flag;
}

StopScope::~StopScope()
{
    current = previous;
}

const std::atomic<bool> *currentStop()
{
    return current;
}

} // namespace Engine
