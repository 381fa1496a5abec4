#pragma once

#include <QIODevice>
#include <QImage>

namespace vimbrel {

// A picture's orientation as its EXIF data gives it: 1 (upright, also when
// there is none) to 8, the TIFF tag's values.
using ExifOrientation = int;

// The orientation stored in a PNG (eXIf chunk) or WebP (EXIF chunk) file,
// whose decoders leave it aside. Reads from the device's start and puts it
// back there; 1 when the file has none or is no such file.
ExifOrientation StoredExifOrientation(QIODevice& file);

// Whether the orientation turns the picture by a quarter, so that its
// upright width is its stored height.
bool TurnsAQuarter(ExifOrientation orientation);

// The picture as the orientation says it is to be seen.
QImage Upright(QImage image, ExifOrientation orientation);

} // namespace vimbrel
