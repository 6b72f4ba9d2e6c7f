#include "Pictures.h"

#include "Painters.h"
#include "TextSetter.h"

TextSetter PictureContext::font(const std::string& fileName) const
{
    return TextSetter(fontDir + "/" + fileName);
}

const std::vector<PictureRecipe>& pictureCatalogue()
{
    static const std::vector<PictureRecipe> catalogue = {
        {"data/o14_logo.png", 512, 512, 4, painters::logo},
        {"data/lens03.png", 512, 512, 4, painters::lens},
        {"data/demopeople1.png", 256, 512, 4, painters::portrait},
        {"data/cow_white.png", 128, 128, 4, painters::cowSprite},
        {"data/datum1.png", 256, 256, 4, painters::closingCard1},
        {"data/datum2.png", 256, 256, 4, painters::closingCard2},
        {"data/datum3.png", 256, 256, 4, painters::closingCard3},
        {"data/datum4.png", 512, 256, 4, painters::closingCard4},
        {"data/datum5.png", 512, 256, 4, painters::closingCard5},
        {"data/url.png", 512, 256, 4, painters::finalCard},
        {"data/orm14.png", 512, 512, 4, painters::emblem},
        {"data/pennant.png", 256, 128, 4, painters::pennant},
        {"data/dot.png", 128, 128, 4, painters::dot},
        {"data/noise.png", 256, 256, 3, painters::grain},
        {"data/mask01.png", 1024, 512, 4, painters::frameMask},
        {"data/noise1.png", 1024, 512, 4, painters::dustAndScratches},
        {"data/background1.png", 1024, 512, 3, painters::background},
        {"data/act.png", 256, 128, 4, painters::wordMoo},
        {"data/nob.png", 512, 256, 4, painters::wordTavlen},
        {"data/sympa.png", 256, 128, 4, painters::wordHello},
        {"data/idee.png", 512, 256, 4, painters::brightIdea},
        {"data/credits.png", 256, 256, 4, painters::credits},
        {"data/cow_cube.png", 512, 512, 3, painters::chromeMap},
    };
    return catalogue;
}

Image renderPicture(const PictureRecipe& recipe, const PictureContext& context)
{
    Image image(recipe.width, recipe.height);
    recipe.paint(image, context);
    return image;
}
