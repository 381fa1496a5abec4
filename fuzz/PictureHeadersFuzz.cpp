// Fuzz target for the readers of picture headers that run before a decoder
// does: the HEIF box walk that finds a grid's or overlay's canvas, and the
// EXIF orientation of PNG and WebP files. Any bytes at all must read
// without a fault; an orientation is always 1 to 8, and the file is left
// where it was.
//
// Each input is read as it is, and behind the start of a HEIF, PNG and WebP
// file, so that the fuzzer does not have to spell their signatures.

#include "show/ExifOrientation.h"
#include "show/HeifCanvas.h"

#include <QBuffer>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void Read(const QByteArray& bytes) {
    (void)vimbrel::LooksLikeHeif(bytes);
    const auto canvas = vimbrel::DeclaredCanvasSize(bytes);
    if (canvas && (canvas->width() < 0 || canvas->height() < 0)) {
        std::abort();
    }
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const vimbrel::ExifOrientation orientation = vimbrel::StoredExifOrientation(buffer);
    if (orientation < 1 || orientation > 8 || buffer.pos() != 0) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Read(bytes);
    Read(QByteArray("\0\0\0\x18"
                    "ftypheic\0\0\0\0mif1heic",
                    24) +
         bytes);
    Read(QByteArray("\x89PNG\r\n\x1a\n", 8) + bytes);
    Read(QByteArray("RIFF\xff\xff\xff\x0fWEBP", 12) + bytes);
    return 0;
}
