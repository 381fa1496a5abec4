#pragma once

#include <QByteArray>
#include <QSize>
#include <optional>

namespace vimbrel {

// Whether the bytes begin as a HEIF file (HEIC, HEIF, AVIF) does: an ftyp
// box of one of their brands.
bool LooksLikeHeif(const QByteArray& start);

// The size a HEIF file's primary image declares for itself when it is put
// together from others (a grid of tiles, or an overlay): the size of the
// picture a decoder makes, which nothing obliges to agree with the size the
// file states elsewhere. None when the primary image is a plain one, or the
// file cannot be read that far.
std::optional<QSize> DeclaredCanvasSize(const QByteArray& file);

} // namespace vimbrel
