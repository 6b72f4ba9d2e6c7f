// AllocationCounter: counts the operator-new allocations the calling thread makes while it
// lives, so tests can pin down that a hot path (update, draw) allocates nothing.
//
// The test executables replace the global operator new with a counting one that forwards
// to malloc. Only the thread that created the counter is counted (the GL driver may
// allocate on its own threads). Under AddressSanitizer the sanitizer owns operator new, so
// counting is unavailable there and tests should skip.
#pragma once

namespace tavtest {

class AllocationCounter {
public:
    AllocationCounter();
    AllocationCounter(const AllocationCounter&) = delete;
    AllocationCounter& operator=(const AllocationCounter&) = delete;

    // Allocations made by this thread since construction.
    long count() const;

    // False when operator new is not ours to count (sanitizer builds).
    static bool available();

private:
    long startCount;
};

}  // namespace tavtest
