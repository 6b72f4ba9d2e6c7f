#include "tools/AssetFiles.h"

#include <png.h>       // Required for: the PNG reader
#include <vorbis/vorbisfile.h>  // Required for: ov_fopen, ov_read_float

#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "support/TestProcess.h"

namespace {

// libpng reports errors by longjmp; nothing with a destructor lives in this frame.
bool readRows(FILE* file, assets::Picture& picture, std::string& error)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) {
        error = "no libpng read structure";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        error = "libpng cannot read the file";
        return false;
    }
    png_init_io(png, file);
    png_read_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    picture.width = int(png_get_image_width(png, info));
    picture.height = int(png_get_image_height(png, info));
    picture.channels = int(png_get_channels(png, info));
    picture.bitDepth = int(png_get_bit_depth(png, info));
    const size_t rowBytes = png_get_rowbytes(png, info);
    png_bytepp rows = png_get_rows(png, info);
    picture.pixels.resize(rowBytes * size_t(picture.height));
    for (int y = 0; y < picture.height; ++y)
        std::copy(rows[y], rows[y] + rowBytes, picture.pixels.begin() + std::ptrdiff_t(rowBytes * size_t(y)));
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace

namespace assets {

std::string dataDir()
{
    return std::string(TAVLEN_BINARY_DIR) + "/data";
}

std::string generatorPath()
{
#ifdef TAVLEN_ASSETGEN
    return TAVLEN_ASSETGEN;
#else
    return std::string(TAVLEN_BINARY_DIR) + "/tools/assetgen/assetgen";
#endif
}

std::vector<std::string> declaredFiles()
{
    std::vector<std::string> files;
    std::istringstream list(TAVLEN_DATA_FILES);  // names separated by commas
    std::string name;
    while (std::getline(list, name, ','))
        files.push_back(name);
    return files;
}

Picture readPicture(const std::string& path)
{
    Picture picture;
    std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(path.c_str(), "rb"), &std::fclose);
    if (!file) {
        picture.error = "cannot open " + path;
        return picture;
    }
    picture.ok = readRows(file.get(), picture, picture.error);
    return picture;
}

Track decodeTrack(const std::string& path)
{
    Track track;
    OggVorbis_File vf;
    if (ov_fopen(path.c_str(), &vf) != 0) {
        track.error = "libvorbisfile cannot open " + path;
        return track;
    }
    const vorbis_info* info = ov_info(&vf, -1);
    track.rate = info->rate;
    track.channels = info->channels;
    float** pcm = nullptr;
    int section = 0;
    long count;
    while ((count = ov_read_float(&vf, &pcm, 4096, &section)) > 0)
        for (long i = 0; i < count; ++i) {
            track.left.push_back(pcm[0][i]);
            track.right.push_back(pcm[track.channels > 1 ? 1 : 0][i]);
        }
    ov_clear(&vf);
    if (count < 0) {
        track.error = "decoding error in " + path;
        return track;
    }
    track.ok = true;
    return track;
}

int run(const std::vector<std::string>& argv, const std::string& logPath)
{
    TestProcess process(argv.front(), std::vector<std::string>(argv.begin() + 1, argv.end()));
    if (!process.start() || !process.wait(10 * 60 * 1000))
        return -1;
    std::ofstream(logPath) << process.stdoutText() << process.stderrText();
    return process.exited() ? process.exitCode() : -1;
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace assets
