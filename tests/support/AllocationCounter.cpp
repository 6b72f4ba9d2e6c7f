#include "support/AllocationCounter.h"

#include <cstdlib>  // Required for: malloc(), free()
#include <new>      // Required for: std::bad_alloc, std::nothrow_t

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVTEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TAVTEST_ASAN 1
#endif

namespace {

thread_local long allocationsOnThisThread = 0;

}  // namespace

#ifndef TAVTEST_ASAN

// The counting replacements. Array and nothrow forms are counted too; every form gets its
// memory from malloc, so the default operator delete (free) releases it.
void* operator new(std::size_t size)
{
    ++allocationsOnThisThread;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}

void* operator new[](std::size_t size)
{
    return operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    ++allocationsOnThisThread;
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return operator new(size, std::nothrow);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

#endif

namespace tavtest {

AllocationCounter::AllocationCounter()
    : startCount(allocationsOnThisThread)
{
}

long AllocationCounter::count() const
{
    return allocationsOnThisThread - startCount;
}

bool AllocationCounter::available()
{
#ifdef TAVTEST_ASAN
    return false;
#else
    return true;
#endif
}

}  // namespace tavtest
