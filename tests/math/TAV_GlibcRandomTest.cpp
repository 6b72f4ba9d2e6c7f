// The engine's generator draws glibc's rand() sequence: the particles, the jitter and the grain
// are the same in both builds, from the unseeded start and after any seed.
#include <gtest/gtest.h>

#include <cstdlib>

#include "math/TAV_GlibcRandom.h"

TEST(GlibcRandom, DrawsTheSameSequenceAsTheCLibraryForAnySeed)
{
    TAV_GlibcRandom unseeded;
    std::srand(1);  // the state of a program that never seeds
    for (int i = 0; i < 10000; ++i)
        ASSERT_EQ(unseeded.next(), std::rand()) << "draw " << i;
    for (unsigned int seed : {0u, 2u, 12345u, 4294967295u}) {
        TAV_GlibcRandom generator;
        generator.seed(seed);
        std::srand(seed);
        for (int i = 0; i < 1000; ++i)
            ASSERT_EQ(generator.next(), std::rand()) << "seed " << seed << ", draw " << i;
    }
}
