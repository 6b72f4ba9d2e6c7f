#include "image/TAV_PNGLoader.h"
#include "image/TAV_PNGLoader_local.h"

#include <GL/gl.h>   // Required for: texture objects, glTexImage2D(), glGetError()
#include <GL/glu.h>  // Required for: gluBuild2DMipmaps(), gluErrorString()
#include <png.h>     // Required for: the libpng reader

#include <algorithm>  // Required for: std::remove_if()
#include <csetjmp>  // Required for: setjmp(), libpng's way of reporting errors
#include <cstdio>   // Required for: fopen(), fclose(), printf(), fprintf()
#include <cstring>  // Required for: strncpy()
#include <memory>   // Required for: std::unique_ptr
#include <new>      // Required for: std::bad_alloc
#include <string>   // Required for: the file names remembered
#include <vector>   // Required for: std::vector

#include "image/TAV_Texture.h"
#include "image/TAV_UnpackAlignment.h"
#include "sys/TAV_Exception.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { fclose(file); }
};

// libpng's reason for giving up, kept instead of printed when decoding quietly.
struct QuietErrors {
    char reason[160] = "";
};

void keepError(png_structp png, png_const_charp message)
{
    QuietErrors* errors = static_cast<QuietErrors*>(png_get_error_ptr(png));
    std::strncpy(errors->reason, message, sizeof(errors->reason) - 1);
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp)
{
}

// Owns libpng's read and info structures.
struct PNGReadStructs {
    png_structp png = nullptr;
    png_infop info = nullptr;

    // With `quiet` null, libpng's default handlers print the reason on stderr and jump back
    // to our setjmp; else the reason is kept there and warnings are dropped.
    explicit PNGReadStructs(QuietErrors* quiet)
    {
        // The installed library's own version string: libpng 1.6 refuses to run for a
        // caller built against another version.
        png = quiet ? png_create_read_struct(PNG_LIBPNG_VER_STRING, quiet, keepError, ignoreWarning)
                    : png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (png)
            info = png_create_info_struct(png);
    }
    ~PNGReadStructs() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
    PNGReadStructs(const PNGReadStructs&) = delete;
    PNGReadStructs& operator=(const PNGReadStructs&) = delete;
};

// Reads the picture into `picture`, rows top first; returns false after a libpng error.
// A libpng error longjmps back into this function, past libpng's own frames, so every
// object with a destructor lives outside it (a jump over a destructor would skip it) and
// everything it fills is reached through references.
// NOTE: the transforms are those of png_read_png(PNG_TRANSFORM_STRIP_16 |
// PNG_TRANSFORM_PACKING | PNG_TRANSFORM_EXPAND), plus grey to RGB so that every picture
// has 3 or 4 channels. Decoding straight into one buffer of our own spares libpng's
// per-row allocations and the copy into a texture buffer afterwards.
bool readPicture(png_structp png, png_infop info, TAV_PNGLoader_local::DecodedPNG& picture,
                 std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_packing(png);
    png_set_expand(png);  // palette to RGB, low-bit grey to 8 bits, tRNS to alpha
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);

    picture.widthPx = int(png_get_image_width(png, info));
    picture.heightPx = int(png_get_image_height(png, info));
    picture.channels = png_get_channels(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    // Not zero-filled: libpng writes every byte, and a huge picture whose data turns out
    // to be short costs no more than what was decoded.
    picture.pixels.reset(new unsigned char[rowBytes * size_t(picture.heightPx)]);
    rows.resize(size_t(picture.heightPx));
    for (size_t row = 0; row < rows.size(); ++row)
        rows[row] = picture.pixels.get() + row * rowBytes;
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

// Prints the pending OpenGL error, if any, after `what`. Diagnostics only: loading goes on.
void reportGLError(const char* what)
{
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR)
        printf("%s%s\n", what, reinterpret_cast<const char*>(gluErrorString(error)));
}

// A texture the loader made, and where from.
struct LoadedPicture {
    TAV_Texture* texture;
    std::string fileName;
    bool mipmap;
};

// Levels a mipmap chain may have: 16384 x 16384 down to 1 x 1.
const int kMaxMipmapLevels = 15;

// Every living texture loadPNG made. Small (one entry per picture) and changed only when
// pictures are loaded or textures deleted, never while frames run.
std::vector<LoadedPicture>& loadedPictures()
{
    static std::vector<LoadedPicture> pictures;
    return pictures;
}

TAV_PNGLoader_local::DecodedPNG readFile(const char* fileName, bool quiet)
{
    std::unique_ptr<FILE, FileCloser> file(fopen(fileName, "rb"));
    if (!file)
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "unable to open file %s", fileName);
    return TAV_PNGLoader_local::decode(file.get(), fileName, quiet);
}

// Defines the bound texture's picture: level 0, or the whole mipmap chain.
void upload(const TAV_PNGLoader_local::DecodedPNG& picture, bool mipmap)
{
    const GLenum format = picture.channels == 4 ? GL_RGBA : GL_RGB;
    reportGLError("ERROR bev gltex: ");
    {
        const TAV_UnpackAlignment packedRows(long(picture.widthPx) * picture.channels);
        // The format doubles as the internal format: 8 bits per channel.
        if (mipmap)
            gluBuild2DMipmaps(GL_TEXTURE_2D, GLint(format), picture.widthPx, picture.heightPx, format,
                              GL_UNSIGNED_BYTE, picture.pixels.get());
        else
            glTexImage2D(GL_TEXTURE_2D, 0, GLint(format), picture.widthPx, picture.heightPx, 0, format,
                         GL_UNSIGNED_BYTE, picture.pixels.get());
    }
    reportGLError("ERROR after gltex: ");
}

}  // namespace

TAV_Texture* TAV_PNGLoader::loadPNG(const char* fileName, bool mipmap)
{
    std::unique_ptr<TAV_Texture> texture(new TAV_Texture());
    // Decoded completely before any OpenGL object exists: a bad file leaves none behind.
    const TAV_PNGLoader_local::DecodedPNG picture = readFile(fileName, false);
    texture->m_width = picture.widthPx;
    texture->m_height = picture.heightPx;

    glGenTextures(1, &texture->m_texId);
    reportGLError("ERROR glgen: ");
    glBindTexture(GL_TEXTURE_2D, texture->m_texId);
    reportGLError("ERROR bev glbind: ");
    upload(picture, mipmap);
    // Linear also with mipmaps: minification samples the base level only, and effects pick
    // the visible level through GL_TEXTURE_BASE_LEVEL.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    loadedPictures().push_back({texture.get(), fileName, mipmap});
    return texture.release();
}

int TAV_PNGLoader::reload(const char* fileName)
{
    std::vector<LoadedPicture>& pictures = loadedPictures();
    const auto fromFile = [fileName](const LoadedPicture& loaded) { return loaded.fileName == fileName; };
    if (std::none_of(pictures.begin(), pictures.end(), fromFile))
        return 0;
    TAV_PNGLoader_local::DecodedPNG picture;
    try {
        // Quietly: the one line below says everything, libpng's reason included.
        picture = readFile(fileName, true);
    } catch (TAV_Exception* e) {
        const std::unique_ptr<TAV_Exception> owned(e);
        std::fprintf(stderr, "Tavlen: %s; the old picture stays\n", e->getMessage());
        return 0;
    }
    GLint binding = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &binding);
    int reloaded = 0;
    for (LoadedPicture& loaded : pictures) {
        if (!fromFile(loaded))
            continue;
        glBindTexture(GL_TEXTURE_2D, loaded.texture->m_texId);
        // A smaller picture has a shorter chain: the old one's last levels must not stay
        // behind, where a base level chosen by an effect would show them.
        if (loaded.mipmap) {
            for (int level = 1; level < kMaxMipmapLevels; ++level)
                glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
        }
        upload(picture, loaded.mipmap);
        loaded.texture->m_width = picture.widthPx;
        loaded.texture->m_height = picture.heightPx;
        ++reloaded;
    }
    glBindTexture(GL_TEXTURE_2D, GLuint(binding));
    return reloaded;
}

int TAV_PNGLoader::reloadAll()
{
    // Each file once, however many textures came from it.
    std::vector<std::string> fileNames;
    for (const LoadedPicture& loaded : loadedPictures()) {
        if (std::find(fileNames.begin(), fileNames.end(), loaded.fileName) == fileNames.end())
            fileNames.push_back(loaded.fileName);
    }
    int failed = 0;
    for (const std::string& fileName : fileNames) {
        if (reload(fileName.c_str()) == 0)
            ++failed;
    }
    return failed;
}

void TAV_PNGLoader::forget(const TAV_Texture* texture)
{
    std::vector<LoadedPicture>& pictures = loadedPictures();
    pictures.erase(std::remove_if(pictures.begin(), pictures.end(),
                                  [texture](const LoadedPicture& loaded) { return loaded.texture == texture; }),
                   pictures.end());
}

namespace TAV_PNGLoader_local {

DecodedPNG decode(FILE* file, const char* fileName, bool quiet)
{
    QuietErrors errors;
    PNGReadStructs reader(quiet ? &errors : nullptr);
    if (!reader.info)
        throw new TAV_Exception(TAV_Exception::MEMORY_EXHAUSTED, "malloc failed");
    png_init_io(reader.png, file);
    png_set_user_limits(reader.png, MAX_SIDE_PX, MAX_SIDE_PX);

    DecodedPNG picture;
    std::vector<png_bytep> rows;
    bool complete = false;
    try {
        complete = readPicture(reader.png, reader.info, picture, rows);
    } catch (const std::bad_alloc&) {
        throw new TAV_Exception(TAV_Exception::MEMORY_EXHAUSTED, "malloc failed");
    }
    // After the transforms every valid PNG has 3 or 4 channels; anything else is refused
    // rather than handed to OpenGL with a format that does not match the buffer.
    if (!complete || (picture.channels != 3 && picture.channels != 4)) {
        if (quiet && errors.reason[0] != '\0')
            throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid png %s: %s", fileName, errors.reason);
        throw new TAV_Exception(TAV_Exception::BAD_FILE, "invalid png %s", fileName);
    }
    return picture;
}

}  // namespace TAV_PNGLoader_local
