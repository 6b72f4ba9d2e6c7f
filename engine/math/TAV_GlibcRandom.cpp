#include "math/TAV_GlibcRandom.h"

void TAV_GlibcRandom::seed(unsigned int value)
{
    if (value == 0)
        value = 1;
    m_state[0] = int32_t(value);
    // Park-Miller's minimal standard generator fills the table, computed as glibc does
    // (Schrage's method) to stay inside 32 bits.
    int32_t word = int32_t(value);
    for (int i = 1; i < DEGREE; ++i) {
        const int32_t hi = word / 127773;
        const int32_t lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0)
            word += 2147483647;
        m_state[i] = word;
    }
    m_front = SEPARATION;
    m_rear = 0;
    // glibc throws away the first ten rounds of the table.
    for (int i = 0; i < 10 * DEGREE; ++i)
        next();
}

int TAV_GlibcRandom::next()
{
    const uint32_t sum = uint32_t(m_state[m_front]) + uint32_t(m_state[m_rear]);
    m_state[m_front] = int32_t(sum);
    const int result = int(sum >> 1);
    if (++m_front >= DEGREE)
        m_front = 0;
    if (++m_rear >= DEGREE)
        m_rear = 0;
    return result;
}
