#include "show/ImageLayout.h"

#include "platform/RandomSource.h"
#include "runtime/Conversions.h"

#include <cmath>

namespace vimbrel {

namespace {

void GrowLoop(PictureSize& size, int32_t availableHeight, int32_t screenWidth) {
    while (size.H < static_cast<float>(availableHeight) &&
           size.W < static_cast<float>(screenWidth)) {
        // The products are formed in double precision and stored back as
        // single precision, as the sizes have always been kept.
        size.H = static_cast<float>(static_cast<double>(size.H) * 1.01);
        size.W = static_cast<float>(static_cast<double>(size.W) * 1.01);
    }
}

void ShrinkLoop(PictureSize& size, int32_t availableHeight, int32_t screenWidth) {
    while (size.H > static_cast<float>(availableHeight) ||
           size.W > static_cast<float>(screenWidth)) {
        size.H = static_cast<float>(static_cast<double>(size.H) * 0.99);
        size.W = static_cast<float>(static_cast<double>(size.W) * 0.99);
    }
}

} // namespace

PictureSize ScalePicture(PictureSize natural, int16_t imageScale, int32_t availableHeight,
                         int32_t screenWidth) {
    PictureSize size = natural;
    // An empty picture, or an area with no room at all, would keep the loops
    // going for ever: such a picture keeps its natural size.
    if (!(size.W > 0 && size.H > 0) || availableHeight <= 0 || screenWidth <= 0) {
        return size;
    }
    switch (imageScale) {
    case SizeImagesUp:
        GrowLoop(size, availableHeight, screenWidth);
        break;
    case SizeImagesDown:
        ShrinkLoop(size, availableHeight, screenWidth);
        break;
    case SizeImagesToFit:
        GrowLoop(size, availableHeight, screenWidth);
        ShrinkLoop(size, availableHeight, screenWidth);
        break;
    default:
        break;
    }
    return size;
}

PicturePlace PlacePicture(PictureSize size, int16_t center, int32_t availableHeight,
                          int32_t screenWidth, platform::RandomSource& random) {
    if (center == 1) {
        return {(availableHeight - static_cast<double>(size.H)) / 2,
                (screenWidth - static_cast<double>(size.W)) / 2};
    }
    const double r1 = random.Rnd();
    const double r2 = random.Rnd();
    return {std::floor((availableHeight - static_cast<double>(size.H)) * r1 + 1),
            std::floor((screenWidth - static_cast<double>(size.W)) * r2 + 1)};
}

std::optional<int16_t> BrokenSizeLimit(int32_t widthPixels, int32_t heightPixels,
                                       const CollectionSettings& settings) {
    if (settings.MinWidth > 0 && widthPixels < settings.MinWidth) {
        return settings.MinWidth;
    }
    if (settings.MinHeight > 0 && heightPixels < settings.MinHeight) {
        return settings.MinHeight;
    }
    if (settings.MaxWidth > 0 && widthPixels > settings.MaxWidth) {
        return settings.MaxWidth;
    }
    if (settings.MaxHeight > 0 && heightPixels > settings.MaxHeight) {
        return settings.MaxHeight;
    }
    return std::nullopt;
}

std::string SizeRenamedName(int16_t limit, std::string_view name) {
    return "_" + std::to_string(limit) + "_" + std::string(name);
}

std::string NameBeforeFirstDot(std::string_view name) {
    return std::string(name.substr(0, name.find('.')));
}

std::string CaptionOfFile(std::string_view name, std::string_view suffix) {
    return ReplaceText(NameBeforeFirstDot(name) + std::string(suffix), "&", "&&");
}

} // namespace vimbrel
