// TAV_PNGWriter: writes pixels in memory as an 8-bit RGB PNG file.
//
// For screenshots, captured frames and the tools' contact sheets. The pixels are either a
// picture (RGB rows, top row first) or a frame as OpenGL reads it back (RGBA rows, bottom
// row first); a frame's alpha is whatever the effects left there, not transparency, and is
// dropped. Nothing is allocated per row. A file that cannot be created or written throws
// TAV_Exception* (-70) "cannot write PATH (REASON)", libpng printing nothing; what was
// written of it stays on disk.
#pragma once

#include <cstdint>  // Required for: uint8_t

class TAV_PNGWriter {
public:
    enum Layout {
        RGB_TOP_DOWN,    // a picture: 3 bytes a pixel, the top row first
        RGBA_BOTTOM_UP,  // a frame read back from OpenGL: 4 bytes a pixel, the bottom row first
    };
    enum Replace {
        REPLACE_FILE,    // an existing file of that name is overwritten
        NEW_FILE_ONLY,   // an existing file of that name is an error and is left alone
    };

    // `compressionLevel` is zlib's, 0 (none) to 9 (smallest, slowest); -1 takes zlib's default.
    static void write(const char* path, const uint8_t* pixels, int widthPx, int heightPx, Layout layout,
                      int compressionLevel, Replace replace = REPLACE_FILE);
};
