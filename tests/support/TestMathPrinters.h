// TestMathPrinters: readable GoogleTest output for the engine's math value types.
//
// Include it in a test that compares TAV_Vertex or TAV_Matrix16 values with EXPECT_EQ, so a
// failure prints "(0.5, -0.5, 0)" instead of a dump of bytes. Header-only; printers only.
#pragma once

#include <ostream>

#include "math/TAV_Matrix16.h"
#include "math/TAV_Vertex.h"

inline void PrintTo(const TAV_Vertex& v, std::ostream* os)
{
    *os << "(" << v.x << ", " << v.y << ", " << v.z << ")";
}

inline void PrintTo(const TAV_Matrix16& m, std::ostream* os)
{
    *os << "[";
    for (int i = 0; i < 16; ++i)
        *os << (i ? (i % 4 ? ", " : " | ") : "") << m[i];
    *os << "] (column-major)";
}
