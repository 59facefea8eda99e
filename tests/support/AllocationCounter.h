#pragma once

#include <atomic>
#include <cstddef>

/** Counts heap allocations made by the calling thread while an instance is
    alive. The global operator new of the test binaries reports to it. */
class AllocationCounter
{
public:
    AllocationCounter() noexcept;
    ~AllocationCounter();

    std::size_t getCount() const noexcept;

    /** Called by operator new; counts only on threads that hold a counter. */
    static void noteAllocation() noexcept;

private:
    std::size_t startCount;
};
bool allocationCountingAvailable() noexcept;
