#include "Icons.h"

#include <sys/stat.h>  // Required for: mkdir()

#include <algorithm>  // Required for: std::min, std::max, std::find_if
#include <cassert>
#include <cerrno>     // Required for: errno, EEXIST
#include <cstring>    // Required for: std::strcmp
#include <stdexcept>
#include <vector>

#include "Pictures.h"

namespace {

// The sizes desktops ask the hicolor theme for: menus (16, 32), launchers and docks (48, 64),
// file managers and task switchers (128, 256).
const int ICON_SIZES_PX[] = {16, 32, 48, 64, 128, 256};
const char* const ICON_SOURCE = "data/orm14.png";

void makeFolder(const std::string& path)
{
    if (mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create folder " + path);
}

// How much of source pixel `s` lies inside [from, to), in source pixels (0 to 1).
float overlap(int s, float from, float to)
{
    return std::max(0.0f, std::min(float(s + 1), to) - std::max(float(s), from));
}

}  // namespace

Image scaledDown(const Image& picture, int sizePx)
{
    assert(sizePx > 0 && sizePx <= picture.width() && sizePx <= picture.height());
    const float stepX = float(picture.width()) / float(sizePx), stepY = float(picture.height()) / float(sizePx);
    Image icon(sizePx, sizePx);
    for (int y = 0; y < sizePx; ++y) {
        const float top = float(y) * stepY, bottom = top + stepY;
        for (int x = 0; x < sizePx; ++x) {
            const float left = float(x) * stepX, right = left + stepX;
            float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;
            for (int sy = int(top); sy < std::min(picture.height(), int(bottom) + 1); ++sy) {
                const float wy = overlap(sy, top, bottom);
                for (int sx = int(left); sx < std::min(picture.width(), int(right) + 1); ++sx) {
                    const float w = wy * overlap(sx, left, right);
                    const Colour c = picture.at(sx, sy);
                    r += c.r * c.a * w;
                    g += c.g * c.a * w;
                    b += c.b * c.a * w;
                    a += c.a * w;
                }
            }
            const float area = stepX * stepY;
            if (a > 0.0f)
                icon.set(x, y, Colour(r / a, g / a, b / a, a / area));
        }
    }
    return icon;
}

void writeIcons(const std::string& folder, const PictureContext& context)
{
    const std::vector<PictureRecipe>& catalogue = pictureCatalogue();
    const auto recipe = std::find_if(catalogue.begin(), catalogue.end(),
                                     [](const PictureRecipe& r) { return std::strcmp(r.file, ICON_SOURCE) == 0; });
    assert(recipe != catalogue.end());
    const Image emblem = renderPicture(*recipe, context);
    makeFolder(folder);
    for (const int sizePx : ICON_SIZES_PX) {
        const std::string size = std::to_string(sizePx);
        const std::string sizeFolder = folder + "/" + size + "x" + size;
        makeFolder(sizeFolder);
        makeFolder(sizeFolder + "/apps");
        scaledDown(emblem, sizePx).writePNG(sizeFolder + "/apps/tavlen.png", 4);
    }
}
