// TAV_SYS_Util: the engine's millisecond wall clock and millisecond sleep.
//
// Stateless; both operations are static and may be called from the main thread at any time.
// The clock wraps every 49.7 days: only the difference of two readings, taken in unsigned
// 32-bit arithmetic, has a meaning (the frame driver measures frame times that way).
#pragma once

class TAV_SYS_Util {
public:
    // The wall clock in milliseconds, tv_sec * 1000 + tv_usec / 1000 in 32-bit arithmetic.
    static unsigned int getCurrentTimeMS();

    // Sleeps `ms` milliseconds with one nanosleep. A signal ends the sleep early and the rest
    // is not slept, so a termination request is never held up. Values <= 0 return at once.
    static void sleepMS(int ms);
};
