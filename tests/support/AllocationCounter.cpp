#include "support/AllocationCounter.h"

#include <cstdlib>  // Required for: malloc()
#include <new>      // Required for: std::bad_alloc

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

// The counting replacement. libstdc++'s array and nothrow forms call this one, and its
// operator delete releases with free(), which matches the malloc here.
void* operator new(std::size_t size)
{
    ++allocationsOnThisThread;
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
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
