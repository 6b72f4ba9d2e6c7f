/* Preloaded (LD_PRELOAD) into the programs the tests run, such as tavlen: dlclose keeps every
 * library mapped. GLVND unloads the Mesa driver when a display closes, and LeakSanitizer,
 * which reports at exit, could then no longer name Mesa's never-freed caches for lsan.supp
 * to suppress. In-process tests get the same from tavtest::pinGLDriverLibraries(). */
int dlclose(void* handle)
{
    (void)handle;
    return 0;
}
