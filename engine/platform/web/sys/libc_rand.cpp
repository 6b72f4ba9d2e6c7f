// rand() and srand() of the browser build: the desktop's generator (TAV_GlibcRandom), in
// place of the C library's own, so the demo draws the same random sequence as on the desktop.
#include <cstdlib>  // Required for: the declarations of rand() and srand()

#include "sys/TAV_GlibcRandom.h"

namespace {

TAV_GlibcRandom& generator()
{
    static TAV_GlibcRandom instance;
    return instance;
}

}  // namespace

extern "C" int rand(void)
{
    return generator().next();
}

extern "C" void srand(unsigned int seed)
{
    generator().seed(seed);
}
