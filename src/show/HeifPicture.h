#pragma once

#include "show/PictureLoader.h"

#include <QByteArray>

namespace vimbrel {

// Reads a HEIF picture (HEIC, HEIF, AVIF) from the file's bytes: its primary
// image, turned, mirrored and cropped as the file says, scaled smoothly to
// the decode size. A codec this machine's libheif lacks, or more pixels than
// the show decodes, is the machine's fault (LoadedPicture::notOnThisMachine);
// anything else that fails is the file's.
LoadedPicture ReadHeifPicture(const QByteArray& bytes, const DecodeSizeOf& decodeSize);

} // namespace vimbrel
