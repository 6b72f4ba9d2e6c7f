#include "ContactSheet.h"

#include <algorithm>  // Required for: std::max
#include <cstdio>     // Required for: std::snprintf
#include <stdexcept>
#include <string>

#include "Palette.h"
#include "Random.h"
#include "TextSetter.h"

namespace {

const int SHEET_WIDTH = 1700;
const int MARGIN = 16;
const int LABEL_HEIGHT = 22;

struct Placement {
    int x, y, w, h;
};

void checkerboard(Image& sheet, const Placement& r)
{
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const bool light = (((x - r.x) / 8) + ((y - r.y) / 8)) % 2 == 0;
            sheet.set(x, y, light ? Colour::hex(0xBDBDBD) : Colour::hex(0x8E8E8E));
        }
}

}  // namespace

Image contactSheet(const std::vector<PictureRecipe>& catalogue, const std::vector<Image>& images,
                   const PictureContext& context)
{
    // Flow layout: pictures wider than 512 are shown at half size, the rest 1:1.
    std::vector<Placement> places;
    int x = MARGIN, y = MARGIN, rowHeight = 0;
    for (const PictureRecipe& recipe : catalogue) {
        const int shrink = recipe.width > 512 ? 2 : 1;
        const int w = recipe.width / shrink, h = recipe.height / shrink;
        if (x + w + MARGIN > SHEET_WIDTH) {
            x = MARGIN;
            y += rowHeight + LABEL_HEIGHT + MARGIN;
            rowHeight = 0;
        }
        places.push_back({x, y, w, h});
        x += w + MARGIN;
        rowHeight = std::max(rowHeight, h);
    }
    const int height = y + rowHeight + LABEL_HEIGHT + MARGIN;

    Image sheet(SHEET_WIDTH, height);
    sheet.paintAll([](Vec2) { return Colour::hex(0x3A3A3E); });
    const TextSetter font = context.font("DejaVuSans.ttf");
    TextSetter::Style style;
    style.sizePx = 13.0f;
    style.hinted = true;
    CoverageMask labels(SHEET_WIDTH, height);
    for (size_t i = 0; i < catalogue.size(); ++i) {
        const Placement& r = places[i];
        checkerboard(sheet, r);
        sheet.drawImage(images[i], float(r.x), float(r.y), float(r.w), float(r.h));
        char label[128];
        std::snprintf(label, sizeof label, "%s  %dx%d %s", catalogue[i].file + 5, catalogue[i].width,
                      catalogue[i].height, catalogue[i].channels == 4 ? "RGBA" : "RGB");
        font.draw(labels, label, float(r.x), float(r.y + r.h + 15), style);
    }
    sheet.fillMask(labels, 0, 0, palette::paper());
    return sheet;
}

namespace {

// One 800 x 600 frame of the demo, letterboxed, on which pictures are laid the way the
// demo's effects lay them: by centre and size, tinted, with alpha blending.
class Frame {
public:
    explicit Frame(Colour clear) : image(800, 600)
    {
        image.paintAll([&](Vec2 p) { return (p.y < 44.0f || p.y >= 556.0f) ? Colour(0, 0, 0, 1) : clear; });
    }
    void centred(const Image& picture, float x, float y, float w, float h, Colour tint = Colour(1, 1, 1, 1))
    {
        image.drawImage(picture, x - w * 0.5f, y - h * 0.5f, w, h, tint);
    }
    void band(const Image& picture, Colour tint = Colour(1, 1, 1, 1)) { centred(picture, 400, 300, 800, 512, tint); }
    // The grain, tiled as the demo tiles it (one tile per 400 x 300 pixels).
    void grain(const Image& picture, float alpha)
    {
        for (int ty = 0; ty < 2; ++ty)
            for (int tx = 0; tx < 2; ++tx)
                image.drawImage(picture, float(tx) * 400.0f, float(ty) * 300.0f, 400.0f, 300.0f, Colour(1, 1, 1, alpha));
    }
    void letterbox()
    {
        image.paintAll([&](Vec2 p) {
            return (p.y < 44.0f || p.y >= 556.0f) ? Colour(0, 0, 0, 1) : image.at(int(p.x), int(p.y));
        });
    }
    Image image;
};

const Image& find(const std::vector<PictureRecipe>& catalogue, const std::vector<Image>& images, const char* name)
{
    for (size_t i = 0; i < catalogue.size(); ++i)
        if (std::string(catalogue[i].file) == std::string("data/") + name)
            return images[i];
    throw std::runtime_error(std::string("no picture ") + name);
}

}  // namespace

Image previews(const std::vector<PictureRecipe>& catalogue, const std::vector<Image>& images)
{
    auto pic = [&](const char* name) -> const Image& { return find(catalogue, images, name); };
    const Colour white(1, 1, 1, 1), black(0, 0, 0, 1), orange = palette::orange();
    std::vector<Frame> frames;

    {   // The opening at 10.5 s: the logo's silhouette (16 layers at 20 %), lens and pennant.
        Frame f(white);
        for (int i = 0; i < 16; ++i)
            f.centred(pic("o14_logo.png"), 400, 300, 640, 480, Colour(0, 0, 0, 0.2f));
        f.grain(pic("noise.png"), 0.2f);
        f.centred(pic("lens03.png"), 400, 300, 500, 500);
        f.centred(pic("pennant.png"), 130, 500, 256, 128);
        frames.push_back(f);
    }
    {   // The logo in its colours over the background.
        Frame f(white);
        f.band(pic("background1.png"));
        f.centred(pic("o14_logo.png"), 400, 300, 500, 500);
        f.grain(pic("noise.png"), 0.2f);
        frames.push_back(f);
    }
    {   // The portrait scene: cow particles, the portrait, the frame mask and a word card.
        Frame f(white);
        Random random(5);
        for (int i = 0; i < 316; ++i) {
            const float x = random.range(0, 800);
            const float y = random.range(0, 600);
            if (i < 300)
                f.centred(pic("cow_white.png"), x, y, 40, 40, Colour(0, 0, 0, 0.5f));
            else
                f.centred(pic("cow_white.png"), x, y, 50, 50, orange);
        }
        f.centred(pic("demopeople1.png"), 672, 300, 384, 512);
        f.band(pic("mask01.png"));
        f.centred(pic("act.png"), 200, 150, 256, 128);
        f.letterbox();
        frames.push_back(f);
    }
    {   // Orange screen with the LED words.
        Frame f(orange);
        f.centred(pic("idee.png"), 400, 350, 700, 350);
        f.letterbox();
        frames.push_back(f);
    }
    {   // Orange screen with the big name card.
        Frame f(orange);
        f.centred(pic("nob.png"), 400, 350, 700, 350);
        f.letterbox();
        frames.push_back(f);
    }
    {   // The chrome picture as a background, with dust.
        Frame f(white);
        f.band(pic("cow_cube.png"));
        f.band(pic("noise1.png"));
        frames.push_back(f);
    }
    {   // Background, word card at the right, rows of dots.
        Frame f(white);
        f.band(pic("background1.png"));
        f.centred(pic("sympa.png"), 660, 200, 265, 128);
        for (int k = 0; k < 6; ++k)
            f.centred(pic("dot.png"), 100, 125 + 60.0f * float(k), 50, 50, orange);
        for (int k = 0; k < 8; ++k)
            f.centred(pic("dot.png"), 230 + 60.0f * float(k), 300, 30, 30, orange);
        frames.push_back(f);
    }
    {   // The portrait upside down and wide, dust over white.
        Frame f(white);
        f.centred(pic("demopeople1.png"), 672, 300, 512, -512);
        f.band(pic("noise1.png"));
        f.centred(pic("nob.png"), 160, 460, 256, 128);
        f.letterbox();
        frames.push_back(f);
    }
    {   // Credits on black.
        Frame f(black);
        f.centred(pic("credits.png"), 400, 300, 256, 256);
        frames.push_back(f);
    }
    {   // The emblem on black.
        Frame f(black);
        f.centred(pic("orm14.png"), 400, 300, 512, 512);
        f.letterbox();
        frames.push_back(f);
    }
    {   // Closing cards 1 and 2 crossing.
        Frame f(black);
        f.centred(pic("datum1.png"), 400, 300, 256, 256, Colour(1, 1, 1, 0.5f));
        f.centred(pic("datum2.png"), 400, 300, 256, 256, Colour(1, 1, 1, 0.5f));
        frames.push_back(f);
    }
    {   // Closing card 3 alone.
        Frame f(black);
        f.centred(pic("datum3.png"), 400, 300, 256, 256);
        frames.push_back(f);
    }
    {   // Closing card 4.
        Frame f(black);
        f.centred(pic("datum4.png"), 400, 300, 512, 256);
        frames.push_back(f);
    }
    {   // Closing card 5.
        Frame f(black);
        f.centred(pic("datum5.png"), 400, 300, 512, 256);
        frames.push_back(f);
    }
    {   // The final card.
        Frame f(black);
        f.centred(pic("url.png"), 400, 300, 512, 256);
        frames.push_back(f);
    }

    const int columns = 3, scale = 2, cellW = 800 / scale, cellH = 600 / scale, gap = 8;
    const int rows = int((frames.size() + columns - 1) / columns);
    Image sheet(columns * (cellW + gap) + gap, rows * (cellH + gap) + gap);
    sheet.paintAll([](Vec2) { return Colour::hex(0x3A3A3E); });
    for (size_t i = 0; i < frames.size(); ++i) {
        const int col = int(i) % columns, row = int(i) / columns;
        sheet.drawImage(frames[i].image, float(gap + col * (cellW + gap)), float(gap + row * (cellH + gap)),
                        float(cellW), float(cellH));
    }
    return sheet;
}
