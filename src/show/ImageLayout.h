#pragma once

#include "settings/SettingsModel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vimbrel {

namespace platform {
class RandomSource;
}

// Picture sizing choices of a folder (ImageScale).
enum ImageScaleChoice : int16_t {
    DefaultSizeImages = 0,
    SizeImagesUp = 1,
    SizeImagesDown = 2,
    SizeImagesToFit = 3,
};

// A picture's size on screen in twips, single precision: the sizing loops
// step in 1 % steps without rounding to whole pixels.
struct PictureSize {
    float W = 0;
    float H = 0;
};

// Grows and/or shrinks a picture of natural size (W, H) for the folder's
// ImageScale: growing until the height or width reaches the area, shrinking
// until both fit, both by 1 % steps that keep the aspect ratio.
PictureSize ScalePicture(PictureSize natural, int16_t imageScale, int32_t availableHeight,
                         int32_t screenWidth);

struct PicturePlace {
    double top = 0;
    double left = 0;
};

// Centred in the area (real values), or at a random place within it: a
// picture larger than the area gets a negative offset.
PicturePlace PlacePicture(PictureSize size, int16_t center, int32_t availableHeight,
                          int32_t screenWidth, platform::RandomSource& random);

// The first size limit the picture (in pixels) breaks, in the order
// MinWidth, MinHeight, MaxWidth, MaxHeight; a limit of 0 or less is not
// applied. A file is renamed once, so only the first broken limit counts.
std::optional<int16_t> BrokenSizeLimit(int32_t widthPixels, int32_t heightPixels,
                                       const CollectionSettings& settings);

// The name a picture gets when it breaks limit L: "_" L "_" name.
std::string SizeRenamedName(int16_t limit, std::string_view name);

// The name without its extension: the text before the first ".".
std::string NameBeforeFirstDot(std::string_view name);

// The caption of a file: its name before the first ".", then the suffix
// (" - " and a clip title), with every "&" doubled so that it shows as one.
std::string CaptionOfFile(std::string_view name, std::string_view suffix = {});

} // namespace vimbrel
