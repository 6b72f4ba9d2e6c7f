#include "sys/TAV_SYS_Util.h"

#include <sys/time.h>  // Required for: gettimeofday()
#include <time.h>      // Required for: nanosleep(), timespec

#include <cstdint>     // Required for: uint32_t

unsigned int TAV_SYS_Util::getCurrentTimeMS()
{
    timeval now;
    gettimeofday(&now, nullptr);
    // Unsigned arithmetic wraps by definition; the seconds alone overflow 32 bits long ago.
    return uint32_t(now.tv_sec) * 1000u + uint32_t(now.tv_usec / 1000);
}

void TAV_SYS_Util::sleepMS(int ms)
{
    if (ms <= 0)
        return;  // nanosleep refuses a negative tv_nsec; there is nothing to wait for anyway
    timespec wait;
    wait.tv_sec = time_t(ms * 0.001);
    wait.tv_nsec = long(ms % 1000) * 1000000L;
    nanosleep(&wait, nullptr);
}
