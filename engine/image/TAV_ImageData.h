// TAV_ImageData: the engine's in-memory picture, 8 bits per channel, RGB or RGBA.
//
// The image owns its pixel buffer (malloc/free) and is not copyable. Pixels are packed:
// rows of exactly m_width * m_bpp bytes, back to back, channels in R, G, B(, A) order, rows
// in the order the file stored them (bottom row first for TGA and BMP, which is also what
// OpenGL takes as t = 0). A constructor that returns gives a complete image; a failed load
// throws TAV_Exception* (-70 bad file, -55 no memory) and leaves nothing behind.
#pragma once

class TAV_ImageData {
public:
    // Reads a TGA or BMP file, chosen by the last three characters of the name ("tga",
    // "bmp", case-sensitive); any other name is refused with -70.
    explicit TAV_ImageData(const char* fileName);
    // A blank image of the given size with uninitialised pixels. bytesPerPixel is 3 or 4.
    TAV_ImageData(int width, int height, int bytesPerPixel);
    ~TAV_ImageData();
    TAV_ImageData(const TAV_ImageData&) = delete;
    TAV_ImageData& operator=(const TAV_ImageData&) = delete;

    // Replace this image with the file's picture. On failure the image is left as it was.
    // Accepted TGA: uncompressed true colour, 24 or 32 bits, no ID, no colour map, origin 0.
    // Accepted BMP: 24 or 32 bits, uncompressed, bottom row first.
    void loadTGA(const char* fileName);
    void loadBitmap(const char* fileName);
    // Writes a 24- or 32-bit uncompressed BMP; the image itself is not changed.
    void writeBitmap(const char* fileName) const;

    // Exchanges the first and third byte of every pixel (RGB <-> BGR).
    void swapRB();
    // Byte-wise over the whole buffer, alpha included. The images must match (check());
    // otherwise -80 is thrown and this image stays as it was.
    void mul(const TAV_ImageData* mask);  // keeps a byte where mask is 255, zero elsewhere
    void add(const TAV_ImageData* other); // sum modulo 256
    void inv();                           // 255 - byte
    void setWithMask(const TAV_ImageData* mask, const TAV_ImageData* source); // source where mask is 255
    // True when `other` has the same height, width and bytes per pixel.
    bool check(const TAV_ImageData* other) const;

    int m_bpp;       // bytes per pixel, 3 or 4
    int m_height;    // pixels
    int m_width;     // pixels
    int m_format;    // GL_RGB for 3 bytes per pixel, GL_RGBA for 4
    unsigned char* m_data;  // m_width * m_height * m_bpp bytes

private:
    // Takes over `pixels` (malloc'ed, packed) as the new picture and frees the old one.
    void replacePixels(int widthPx, int heightPx, int bytesPerPixel, unsigned char* pixels);
};
