#include "AllocationCounter.h"

#include <cstdlib>
#include <new>

namespace
{
    thread_local std::size_t allocationsOnThisThread = 0;
    thread_local int activeCounters = 0;
}

AllocationCounter::AllocationCounter() noexcept : startCount (allocationsOnThisThread) { ++activeCounters; }
AllocationCounter::~AllocationCounter() { --activeCounters; }

std::size_t AllocationCounter::getCount() const noexcept { return allocationsOnThisThread - startCount; }

void AllocationCounter::noteAllocation() noexcept
{
    if (activeCounters > 0)
        ++allocationsOnThisThread;
}

#if ! defined (__SANITIZE_ADDRESS__) && ! defined (__SANITIZE_THREAD__)
 #if defined (__has_feature)
  #if __has_feature (address_sanitizer) || __has_feature (thread_sanitizer)
   #define VESPERLINE_SANITIZED 1
  #endif
 #endif
#else
 #define VESPERLINE_SANITIZED 1
#endif

// Sanitizers bring their own allocator; the counting operators stay out of
// their way, and allocation tests skip themselves there.
#if ! VESPERLINE_SANITIZED
void* operator new (std::size_t size)
{
    AllocationCounter::noteAllocation();
    if (auto* p = std::malloc (size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}

void* operator new[] (std::size_t size) { return operator new (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    AllocationCounter::noteAllocation();
    return std::malloc (size == 0 ? 1 : size);
}
void* operator new[] (std::size_t size, const std::nothrow_t& t) noexcept { return operator new (size, t); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }

// JUCE's heap blocks use malloc directly, so count those calls too.
extern "C"
{
    void* __libc_malloc (std::size_t);
    void* __libc_calloc (std::size_t, std::size_t);
    void* __libc_realloc (void*, std::size_t);

    void* malloc (std::size_t size)
    {
        AllocationCounter::noteAllocation();
        return __libc_malloc (size);
    }

    void* calloc (std::size_t count, std::size_t size)
    {
        AllocationCounter::noteAllocation();
        return __libc_calloc (count, size);
    }

    void* realloc (void* p, std::size_t size)
    {
        AllocationCounter::noteAllocation();
        return __libc_realloc (p, size);
    }
}
#endif

bool allocationCountingAvailable() noexcept
{
   #if VESPERLINE_SANITIZED
    return false;
   #else
    return true;
   #endif
}
