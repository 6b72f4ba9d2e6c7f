// AssetFiles: what the tests of the asset generator share: where the generator and the
// generated data/ are, reading a PNG and decoding the Ogg track with the libraries the demo
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
