// TAV_PNGLoader: turns a PNG file straight into a plain OpenGL texture.
//
// Every PNG gives an 8-bit RGB or RGBA texture: palettes, grey, grey with alpha, low and
// 16-bit depths and transparency chunks are converted. The picture's top row lies at
// t = 0. The caller owns the returned texture; a file that cannot be opened or decoded
// throws TAV_Exception* (-70) naming it, and leaves no texture object behind. Needs the
// current GL context. OpenGL errors are reported on standard output ("ERROR ...") only.
#pragma once

class TAV_Texture;

class TAV_PNGLoader {
public:
    // With `mipmap` a full mipmap chain is built; minification still samples only the base
    // level (GL_LINEAR) until the caller changes the filter or the base level. The texture
    // is left bound.
    static TAV_Texture* loadPNG(const char* fileName, bool mipmap);
};
