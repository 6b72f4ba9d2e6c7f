// TAV_PNGWriter: pictures and read-back frames come out as RGB PNGs with the top row first,
// and files it may not or cannot write are refused with their name and the reason.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "ImageTestFiles.h"
#include "image/TAV_PNGLoader_local.h"
#include "image/TAV_PNGWriter.h"

using namespace imagetest;

namespace {

// Channels, width and the pixels (top row first) of the PNG at `path`.
struct Decoded {
    int channels;
    int widthPx;
    Bytes pixels;
};

Decoded decodeFile(const std::string& path)
{
    std::unique_ptr<FILE, int (*)(FILE*)> file(fopen(path.c_str(), "rb"), fclose);
    const TAV_PNGLoader_local::DecodedPNG picture = TAV_PNGLoader_local::decode(file.get(), path.c_str());
    const size_t bytes = size_t(picture.widthPx * picture.heightPx * picture.channels);
    return {picture.channels, picture.widthPx, Bytes(picture.pixels.get(), picture.pixels.get() + bytes)};
}

}  // namespace

TEST(PNGWriter, WritesPicturesAsTheyAreAndFramesTheRightWayUpWithoutAlpha)
{
    // Two rows of two pixels: the top row red and green, the bottom row blue and white.
    const Bytes topDown = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    // The same as OpenGL reads it back: the bottom row first, with an alpha that means nothing.
    const Bytes frame = {0, 0, 255, 7, 255, 255, 255, 0, 255, 0, 0, 99, 0, 255, 0, 200};
    const struct {
        TAV_PNGWriter::Layout layout;
        const Bytes& pixels;
        int compressionLevel;
    } cases[] = {
        {TAV_PNGWriter::RGB_TOP_DOWN, topDown, 9},
        {TAV_PNGWriter::RGBA_BOTTOM_UP, frame, 1},
        {TAV_PNGWriter::RGBA_BOTTOM_UP, frame, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.layout == TAV_PNGWriter::RGB_TOP_DOWN ? "picture" : "frame");
        const std::string path = scratchPath("written.png");
        TAV_PNGWriter::write(path.c_str(), c.pixels.data(), 2, 2, c.layout, c.compressionLevel);
        const Decoded decoded = decodeFile(path);
        EXPECT_EQ(3, decoded.channels);
        EXPECT_EQ(2, decoded.widthPx);
        EXPECT_EQ(topDown, decoded.pixels);
    }
}

TEST(PNGWriter, RefusesWhatItMayNotOrCannotWrite)
{
    const Bytes pixels(3 * 4 * 4, 128);
    const std::string kept = scratchPath("kept.png");
    writeFile(kept, {1, 2, 3});
    expectThrown(-70, "cannot write " + kept + " (File exists)", [&] {
        TAV_PNGWriter::write(kept.c_str(), pixels.data(), 4, 4, TAV_PNGWriter::RGB_TOP_DOWN, 1,
                             TAV_PNGWriter::NEW_FILE_ONLY);
    });
    EXPECT_EQ(Bytes({1, 2, 3}), readFile(kept));

    const std::string nowhere = scratchPath("no/such/folder.png");
    expectThrown(-70, "cannot write " + nowhere + " (No such file or directory)", [&] {
        TAV_PNGWriter::write(nowhere.c_str(), pixels.data(), 4, 4, TAV_PNGWriter::RGB_TOP_DOWN, 1);
    });
    // A full disk shows only as the file is written and closed.
    expectThrown(-70, "cannot write /dev/full (No space left on device)", [&] {
        TAV_PNGWriter::write("/dev/full", pixels.data(), 4, 4, TAV_PNGWriter::RGB_TOP_DOWN, 1);
    });
}
