// TestFiles: small file-system helpers for tests that need files of their own: folders,
// pictures made in code (one libpng writer serves every PNG the tests write), a temporary working directory, and the place where rendered frames
// are left for people to look at.
//
// Frames go to $TAVLEN_TEST_FRAMES when it is set (so a developer can keep them), else to
// the process's scratch folder, which is removed at exit.
#pragma once

#include <png.h>  // Required for: png_color and the colour-type constants of PNGRecipe

#include <cstdint>
#include <string>
#include <vector>

namespace tavtest {

// Creates `path` and its missing parents; true when the folder exists afterwards.
bool makeDirectories(const std::string& path);

// A PNG to write with libpng: `rows` top row first, each row already in the file's sample
// layout for the colour type and bit depth. Optional palette and tRNS chunk.
struct PNGRecipe {
    int width = 0;
    int height = 0;
    int colorType = PNG_COLOR_TYPE_RGB;
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::vector<uint8_t>> rows;
    std::vector<png_color> palette;
    std::vector<uint8_t> transparency;  // tRNS entries for a palette
};

// Writes `recipe` to `path`; false when the file cannot be written.
bool writePNG(const std::string& path, const PNGRecipe& recipe);

// Writes an 8-bit RGBA PNG from rows given top row first, as a picture is seen. Creates the
// folder it goes in. Returns false when the file cannot be written.
bool writePicturePNG(const std::string& path, int width, int height, const std::vector<uint8_t>& rgbaTopDown);

// Full path for a rendered frame called `name` ("cowqube.png").
std::string framePath(const std::string& name);

// Makes `path` the working directory until destruction, then restores the previous one.
class ScopedWorkingDirectory {
public:
    explicit ScopedWorkingDirectory(const std::string& path);
    ~ScopedWorkingDirectory();
    ScopedWorkingDirectory(const ScopedWorkingDirectory&) = delete;
    ScopedWorkingDirectory& operator=(const ScopedWorkingDirectory&) = delete;

    // False when the change failed (the test has then been failed already).
    bool ok() const { return changed; }

private:
    std::string previous;
    bool changed = false;
};

}  // namespace tavtest
