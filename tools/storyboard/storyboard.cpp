// tavlen_storyboard: plays the demo on the deterministic player and writes one PNG with a
// frame from the middle of each of the 45 sections and of the closing, in a grid of eight
// columns, each tile numbered in its top-left corner (the closing is "C").
//
//   tavlen_storyboard OUT.png [TILE_WIDTH] [WIDTHxHEIGHT]
//
// The tile width defaults to 200. The demo plays in a window of WIDTHxHEIGHT (800x600 by
// default); each tile shows the whole window, bars included, so tiles have its shape.
//
// The README's copy, docs/storyboard.png, is made with 120-pixel tiles and 256 colours:
//   tavlen_storyboard /tmp/storyboard.png 120
//   convert /tmp/storyboard.png -colors 256 PNG8:docs/storyboard.png
//
// It needs an X display (xvfb-run -s "-screen 0 1024x768x24" works) and the generated data/:
// it runs in the current folder when that holds data/, else in the build folder.
#include <unistd.h>    // Required for: getcwd()

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "DemoPlayer.h"
#include "LoadObject.h"
#include "image/TAV_PNGWriter.h"
#include "sys/TAV_Exception.h"

namespace {

const int kColumns = 8;
const int kTiles = LoadObject::SECTION_COUNT + 1;  // the sections and the closing
// Middle of the closing, in ms of the date cards' clock, which starts with the closing.
const int kClosingMiddleMs =
    (LoadObject::CLOSING_END_MS - LoadObject::sectionStartMs(LoadObject::SECTION_COUNT)) / 2;

// 3x5 digits and the letter C, one row per byte, three low bits per row.
const unsigned char kGlyphs[11][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7},
    {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {7, 4, 4, 4, 7},
};

struct Sheet {
    int width;
    int height;
    std::vector<unsigned char> rgb;  // top row first

    void set(int x, int y, unsigned char r, unsigned char g, unsigned char b)
    {
        if (x < 0 || y < 0 || x >= width || y >= height)
            return;
        unsigned char* p = &rgb[(size_t(y) * width + x) * 3];
        p[0] = r;
        p[1] = g;
        p[2] = b;
    }
};

// Box-filters the player's frame (RGBA, bottom row first) into a tile at (left, top).
void placeTile(Sheet& sheet, const DemoPlayer& player, const std::vector<uint8_t>& frame, int left, int top,
               int tileWidth, int tileHeight)
{
    const int frameWidth = player.width();
    const int frameHeight = player.height();
    for (int ty = 0; ty < tileHeight; ++ty) {
        const int y0 = ty * frameHeight / tileHeight;
        const int y1 = std::max(y0 + 1, (ty + 1) * frameHeight / tileHeight);
        for (int tx = 0; tx < tileWidth; ++tx) {
            const int x0 = tx * frameWidth / tileWidth;
            const int x1 = std::max(x0 + 1, (tx + 1) * frameWidth / tileWidth);
            unsigned long sum[3] = {0, 0, 0};
            unsigned long n = 0;
            for (int y = y0; y < y1; ++y) {
                const int row = frameHeight - 1 - y;  // the frame is bottom-up
                for (int x = x0; x < x1; ++x) {
                    const uint8_t* p = &frame[(size_t(row) * size_t(frameWidth) + size_t(x)) * 4];
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                    ++n;
                }
            }
            sheet.set(left + tx, top + ty, uint8_t(sum[0] / n), uint8_t(sum[1] / n), uint8_t(sum[2] / n));
        }
    }
}

// The tile's number, white on a dark plate, in the top-left corner.
void label(Sheet& sheet, int left, int top, const std::string& text, int scale)
{
    const int plateWidth = (int(text.size()) * 4 + 1) * scale;
    const int plateHeight = 7 * scale;
    for (int y = 0; y < plateHeight; ++y)
        for (int x = 0; x < plateWidth; ++x)
            sheet.set(left + x, top + y, 32, 32, 32);
    for (size_t i = 0; i < text.size(); ++i) {
        const int glyph = (text[i] == 'C') ? 10 : text[i] - '0';
        for (int row = 0; row < 5; ++row)
            for (int column = 0; column < 3; ++column)
                if (kGlyphs[glyph][row] & (4 >> column))
                    for (int sy = 0; sy < scale; ++sy)
                        for (int sx = 0; sx < scale; ++sx)
                            sheet.set(left + (1 + int(i) * 4 + column) * scale + sx, top + (1 + row) * scale + sy,
                                      255, 255, 255);
    }
}

// Runs in the folder with data/: the current one, else the build folder.
std::string absolute(const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof(cwd)))
        return path;
    return std::string(cwd) + "/" + path;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s OUT.png [TILE_WIDTH] [WIDTHxHEIGHT]\n", argv[0]);
        return 2;
    }
    const std::string outPath = absolute(argv[1]);
    const int tileWidth = (argc >= 3) ? std::atoi(argv[2]) : 200;
    if (tileWidth < 16 || tileWidth > 800) {
        std::fprintf(stderr, "tile width must be 16 to 800\n");
        return 2;
    }
    int frameWidth = DemoPlayer::WIDTH;
    int frameHeight = DemoPlayer::HEIGHT;
    if (argc == 4 && (std::sscanf(argv[3], "%dx%d", &frameWidth, &frameHeight) != 2 || frameWidth < 16
                      || frameHeight < 16 || frameWidth > 16384 || frameHeight > 16384)) {
        std::fprintf(stderr, "window size must be WIDTHxHEIGHT, each 16 to 16384\n");
        return 2;
    }
    const int tileHeight = std::max(1, tileWidth * frameHeight / frameWidth);
    if (!DemoPlayer::enterDataFolder(TAVLEN_BINARY_DIR)) {
        std::fprintf(stderr, "no data/ here nor in %s: build the tavlen_data target first\n", TAVLEN_BINARY_DIR);
        return 1;
    }

    const int rows = (kTiles + kColumns - 1) / kColumns;
    Sheet sheet{kColumns * tileWidth, rows * tileHeight, {}};
    sheet.rgb.assign(size_t(sheet.width) * sheet.height * 3, 0);
    const int labelScale = tileWidth >= 160 ? 2 : 1;

    try {
        DemoPlayer player(20.0, frameWidth, frameHeight);
        for (int tile = 0; tile < kTiles; ++tile) {
            const int section = tile;
            if (section < LoadObject::SECTION_COUNT) {
                const int middleMs =
                    (LoadObject::sectionStartMs(section) + LoadObject::sectionStartMs(section + 1)) / 2;
                if (!player.playToMusicTime(middleMs)) {
                    std::fprintf(stderr, "the demo ended before %d ms\n", middleMs);
                    return 1;
                }
            } else {
                while (!player.exited() && player.scene()->m_dateTime < kClosingMiddleMs)
                    player.step();
                if (player.exited()) {
                    std::fprintf(stderr, "the demo ended before the middle of the closing\n");
                    return 1;
                }
            }
            const int left = (tile % kColumns) * tileWidth;
            const int top = (tile / kColumns) * tileHeight;
            placeTile(sheet, player, player.readFrame(), left, top, tileWidth, tileHeight);
            label(sheet, left + labelScale, top + labelScale,
                  section < LoadObject::SECTION_COUNT ? std::to_string(section) : std::string("C"), labelScale);
        }
        TAV_PNGWriter::write(outPath.c_str(), sheet.rgb.data(), sheet.width, sheet.height,
                             TAV_PNGWriter::RGB_TOP_DOWN, 9);
    } catch (TAV_Exception* e) {
        std::fprintf(stderr, "%s\n", e->getMessage());
        delete e;
        return 1;
    }

    std::printf("%s: %d x %d, %d frames\n", outPath.c_str(), sheet.width, sheet.height, kTiles);
    return 0;
}
