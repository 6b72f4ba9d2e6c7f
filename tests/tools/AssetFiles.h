// AssetFiles: what the tests of the asset generator share: where the generator and the
// generated data/ are, the pictures expected there, reading a PNG and decoding the Ogg track with the libraries the demo
// uses, and running the generator as a child process.
//
// Every reader returns plain values (no engine types), so the tests check the files
// exactly as libpng and libvorbisfile see them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace assets {

// The data/ folder the build generates (the demo's working directory is the build root).
std::string dataDir();
// The generator executable.
std::string generatorPath();
// The file names the build declares as the generator's outputs ("o14_logo.png", ...).
std::vector<std::string> declaredFiles();

// The pictures the demo opens, with the size and channels chosen for how it shows each on
// its 800 x 600 frame.
struct ExpectedPicture {
    const char* file;
    int width;
    int height;
    int channels;
};
inline const ExpectedPicture PICTURES[] = {
    {"o14_logo.png", 512, 512, 4},   {"lens03.png", 512, 512, 4},    {"demopeople1.png", 256, 512, 4},
    {"cow_white.png", 128, 128, 4},  {"datum1.png", 256, 256, 4},    {"datum2.png", 256, 256, 4},
    {"datum3.png", 256, 256, 4},     {"datum4.png", 512, 256, 4},    {"datum5.png", 512, 256, 4},
    {"url.png", 512, 256, 4},        {"orm14.png", 512, 512, 4},     {"pennant.png", 256, 128, 4},
    {"dot.png", 128, 128, 4},        {"noise.png", 256, 256, 3},     {"mask01.png", 1024, 512, 4},
    {"noise1.png", 1024, 512, 4},    {"background1.png", 1024, 512, 3}, {"act.png", 256, 128, 4},
    {"nob.png", 512, 256, 4},        {"sympa.png", 256, 128, 4},     {"idee.png", 512, 256, 4},
    {"credits.png", 256, 256, 4},    {"cow_cube.png", 512, 512, 3},
};

struct Picture {
    bool ok = false;
    std::string error;
    int width = 0;
    int height = 0;
    int channels = 0;   // as stored: 3 (RGB) or 4 (RGBA)
    int bitDepth = 0;
    std::vector<uint8_t> pixels;  // rows top first, `channels` bytes per pixel

    uint8_t at(int x, int y, int channel) const
    {
        return pixels[(size_t(y) * size_t(width) + size_t(x)) * size_t(channels) + size_t(channel)];
    }
    uint8_t alpha(int x, int y) const { return channels == 4 ? at(x, y, 3) : 255; }
};

// Reads a PNG with libpng, without any transformation.
Picture readPicture(const std::string& path);

struct Track {
    bool ok = false;
    std::string error;
    long rate = 0;
    int channels = 0;
    std::vector<float> left;
    std::vector<float> right;
};

// Decodes an Ogg Vorbis file completely with libvorbisfile.
Track decodeTrack(const std::string& path);

// Runs a program with arguments, waits for it and returns its exit status (-1 when it
// could not be started or did not exit normally). Its output goes to `logPath`.
int run(const std::vector<std::string>& argv, const std::string& logPath);

// The whole content of a file ("" when it cannot be read).
std::string readFile(const std::string& path);

}  // namespace assets
