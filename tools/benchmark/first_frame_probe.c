/* first_frame_probe: preloaded into `tavlen` by tavlen_benchmark to time its start-up.
 *
 * It wraps glXSwapBuffers and, at the swap numbered TAVLEN_PROBE_SWAP (default 2: the first
 * frame the demo scene draws, after the engine's empty first frame), writes the monotonic
 * clock in nanoseconds as text to the file descriptor TAVLEN_PROBE_FD. Everything else is
 * passed through unchanged. */
#define _GNU_SOURCE
#include <GL/glx.h> /* Required for: the glXSwapBuffers signature */
#include <dlfcn.h>  /* Required for: dlsym(RTLD_NEXT) */
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static long g_swaps = 0;

void glXSwapBuffers(Display* dpy, GLXDrawable drawable)
{
    static void (*real)(Display*, GLXDrawable) = NULL;
    if (!real)
        real = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    ++g_swaps;
    const char* wanted = getenv("TAVLEN_PROBE_SWAP");
    const char* fd = getenv("TAVLEN_PROBE_FD");
    if (fd && g_swaps == (wanted ? atol(wanted) : 2)) {
        struct timespec now;
        clock_gettime(CLOCK_MONOTONIC, &now);
        char text[32];
        const int length = snprintf(text, sizeof(text), "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
        if (write(atoi(fd), text, (size_t)length) < 0) {
            /* nothing to do: the benchmark reports a missing reading */
        }
    }
    real(dpy, drawable);
}
