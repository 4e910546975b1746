#include "WorkCount.h"

#include <atomic>

namespace Engine {

namespace {

std::atomic<bool> counting = false;
std::atomic<qint64> measuredEntries = 0;
std::atomic<qint64> measuredBytes = 0;
std::atomic<qint64> removedEntries = 0;
std::atomic<qint64> removedBytes = 0;

} // namespace

void startCounting()
{
    for (std::atomic<qint64> *count :
         {&measuredEntries, &measuredBytes, &removedEntries, &removedBytes})
        count->store(0, std::memory_order_relaxed);
    counting.store(true, std::memory_order_relaxed);
}

WorkCount workCount()
{
    return {measuredEntries.load(std::memory_order_relaxed),
            measuredBytes.load(std::memory_order_relaxed),
            removedEntries.load(std::memory_order_relaxed),
            removedBytes.load(std::memory_order_relaxed)};
}

void countMeasured(qint64 entries, qint64 bytes)
{
    if (!counting.load(std::memory_order_relaxed))
        return;
    measuredEntries.fetch_add(entries, std::memory_order_relaxed);
    measuredBytes.fetch_add(bytes, std::memory_order_relaxed);
}

void countRemoved(qint64 entries, qint64 bytes)
{
    if (!counting.load(std::memory_order_relaxed))
        return;
    removedEntries.fetch_add(entries, std::memory_order_relaxed);
    removedBytes.fetch_add(bytes, std::memory_order_relaxed);
}

} // namespace Engine
