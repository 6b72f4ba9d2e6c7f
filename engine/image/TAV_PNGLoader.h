// TAV_PNGLoader: turns a PNG file straight into a plain OpenGL texture.
//
// Every PNG gives an 8-bit RGB or RGBA texture: palettes, grey, grey with alpha, low and
// 16-bit depths and transparency chunks are converted. The picture's top row lies at
// t = 0. The caller owns the returned texture; a file that cannot be opened or decoded
// throws TAV_Exception* (-70) naming it, and leaves no texture object behind. Needs the
// current GL context. OpenGL errors are reported on standard output ("ERROR ...") only.
// The loader remembers which file each of its textures came from, until the texture is
// deleted, so that a tool can reload a changed picture into the same texture object while
// the scene that holds it goes on (reload, reloadAll). Reloading is for between frames.
#pragma once

class TAV_Texture;

class TAV_PNGLoader {
public:
    // With `mipmap` a full mipmap chain is built; minification still samples only the base
    // level (GL_LINEAR) until the caller changes the filter or the base level. The texture
    // is left bound.
    static TAV_Texture* loadPNG(const char* fileName, bool mipmap);

    // Reads `fileName` again into every texture loaded from it (the same name as given to
    // loadPNG), in place: same texture object, its parameters kept, the mipmap chain rebuilt
    // where it had one, the size taken from the new picture. A file that cannot be read keeps
    // the old picture and writes one line on stderr naming the file and the reason. Returns
    // the number of textures reloaded (0 when none came from that file or it failed). The
    // texture binding and the unpack state are left as they were.
    static int reload(const char* fileName);
    // reload() for every file a living texture came from; returns the number of files that
    // could not be read.
    static int reloadAll();
    // Drops the record of `texture`; its destructor calls this.
    static void forget(const TAV_Texture* texture);
};
