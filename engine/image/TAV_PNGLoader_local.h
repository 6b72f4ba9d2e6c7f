// TAV_PNGLoader_local: the PNG loader's decoding step, kept apart from OpenGL so that it
// can be tested and fuzzed without a GL context. Not part of the engine's interface: only
// TAV_PNGLoader, its tests and its fuzz target include this.
#pragma once

#include <cstdio>  // Required for: FILE
#include <memory>  // Required for: std::unique_ptr

namespace TAV_PNGLoader_local {

// Largest width or height decoded. Larger claims are refused before any pixel buffer is
// allocated; no OpenGL implementation we run on takes a bigger texture anyway.
const unsigned int MAX_SIDE_PX = 16384;

// A decoded picture: 8 bits per channel, rows back to back (no padding), top row first.
struct DecodedPNG {
    int widthPx = 0;
    int heightPx = 0;
    int channels = 0;  // 3 (RGB) or 4 (RGBA)
    std::unique_ptr<unsigned char[]> pixels;  // heightPx * widthPx * channels bytes
};

// Decodes the PNG that `file` holds from its current position. Throws TAV_Exception*
// -70 "invalid png <fileName>" for anything libpng refuses (not a PNG, truncated, corrupt,
// too large) and -55 when the pixels cannot be allocated. Does not close the file.
// libpng says its reason on stderr itself, unless `quiet`: then it says nothing, and the
// exception's message ends with the reason ("invalid png <fileName>: <reason>").
DecodedPNG decode(FILE* file, const char* fileName, bool quiet = false);

}  // namespace TAV_PNGLoader_local
