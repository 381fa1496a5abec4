#pragma once

#include <QColor>
#include <filesystem>
#include <string>

namespace vimbrel::test {

// Pictures for the show's tests, written with real encoders.

// A picture of one colour, in the format its extension names (JPG, BMP;
// GIF through ImageMagick, which the test machine has).
void WritePicture(const std::filesystem::path& path, int width, int height, QColor colour);

// A JPEG whose orientation tag says it must be turned a quarter to the
// right before it is shown upright.
void WriteTurnedJpeg(const std::filesystem::path& path, int storedWidth, int storedHeight);

// A JPEG whose header claims 65000 x 65000 pixels, with no picture data
// to match.
void WriteHugeHeaderJpeg(const std::filesystem::path& path);

} // namespace vimbrel::test
