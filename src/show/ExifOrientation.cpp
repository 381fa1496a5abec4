#include "show/ExifOrientation.h"

#include <QTransform>
#include <cstdint>
#include <string_view>

namespace vimbrel {

namespace {

// EXIF data is at most 64 KB in every container; more is no EXIF of a
// picture's.
constexpr qint64 kMaxExifBytes = 65536;

uint32_t BigEndian32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t{b[0]} << 24) | (uint32_t{b[1]} << 16) | (uint32_t{b[2]} << 8) | b[3];
}

uint32_t LittleEndian32(const char* p) {
    const auto* b = reinterpret_cast<const unsigned char*>(p);
    return (uint32_t{b[3]} << 24) | (uint32_t{b[2]} << 16) | (uint32_t{b[1]} << 8) | b[0];
}

// The Orientation tag (0x0112) of the first image directory of a TIFF
// structure, as EXIF holds it; 1 when it is missing or out of range.
ExifOrientation OrientationOfTiff(std::string_view tiff) {
    // Some writers put the JPEG marker's "Exif\0\0" before the structure.
    if (tiff.starts_with(std::string_view("Exif\0\0", 6))) {
        tiff.remove_prefix(6);
    }
    if (tiff.size() < 8) {
        return 1;
    }
    const bool little = tiff.starts_with("II");
    if (!little && !tiff.starts_with("MM")) {
        return 1;
    }
    const auto u16 = [&](std::size_t at) -> uint32_t {
        const auto* b = reinterpret_cast<const unsigned char*>(tiff.data() + at);
        return little ? (b[0] | (b[1] << 8)) : ((b[0] << 8) | b[1]);
    };
    const auto u32 = [&](std::size_t at) {
        return little ? LittleEndian32(tiff.data() + at) : BigEndian32(tiff.data() + at);
    };
    const std::size_t directory = u32(4);
    if (directory > tiff.size() - 2) {
        return 1;
    }
    const std::size_t entries = u16(directory);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + i * 12;
        if (entry + 12 > tiff.size()) {
            break;
        }
        if (u16(entry) == 0x0112) {
            const uint32_t value = u16(entry + 8);
            return value >= 1 && value <= 8 ? static_cast<ExifOrientation>(value) : 1;
        }
    }
    return 1;
}

// The data of the first chunk of that type, walking a PNG's chunks.
std::string FindPngChunk(QIODevice& file, const char* type) {
    if (file.read(8) != QByteArray("\x89PNG\r\n\x1a\n", 8)) {
        return {};
    }
    for (;;) {
        const QByteArray header = file.read(8);
        if (header.size() < 8) {
            return {};
        }
        const uint32_t length = BigEndian32(header.constData());
        const std::string_view name(header.constData() + 4, 4);
        if (name == type) {
            return length <= kMaxExifBytes ? file.read(length).toStdString() : std::string();
        }
        if (name == "IEND" || !file.seek(file.pos() + qint64{length} + 4)) {
            return {};
        }
    }
}

// The data of the first chunk of that type in a WebP file's RIFF container.
std::string FindWebpChunk(QIODevice& file, const char* type) {
    const QByteArray header = file.read(12);
    if (header.size() < 12 || !header.startsWith("RIFF") || header.mid(8, 4) != "WEBP") {
        return {};
    }
    for (;;) {
        const QByteArray chunk = file.read(8);
        if (chunk.size() < 8) {
            return {};
        }
        const uint32_t length = LittleEndian32(chunk.constData() + 4);
        if (std::string_view(chunk.constData(), 4) == type) {
            return length <= kMaxExifBytes ? file.read(length).toStdString() : std::string();
        }
        // Chunks are padded to an even length.
        if (!file.seek(file.pos() + qint64{length} + (length & 1))) {
            return {};
        }
    }
}

} // namespace

ExifOrientation StoredExifOrientation(QIODevice& file) {
    const qint64 start = file.pos();
    const QByteArray magic = file.peek(4);
    std::string exif;
    if (magic.startsWith("\x89PNG")) {
        exif = FindPngChunk(file, "eXIf");
    } else if (magic.startsWith("RIFF")) {
        exif = FindWebpChunk(file, "EXIF");
    }
    file.seek(start);
    return exif.empty() ? 1 : OrientationOfTiff(exif);
}

bool TurnsAQuarter(ExifOrientation orientation) {
    return orientation >= 5 && orientation <= 8;
}

QImage Upright(QImage image, ExifOrientation orientation) {
    // The tag's values: mirrored first (2, 4, 5, 7), then turned clockwise.
    const QTransform right = QTransform().rotate(90);
    const QTransform left = QTransform().rotate(270);
    switch (orientation) {
    case 2:
        return image.mirrored(true, false);
    case 3:
        return image.mirrored(true, true);
    case 4:
        return image.mirrored(false, true);
    case 5:
        return image.mirrored(true, false).transformed(left);
    case 6:
        return image.transformed(right);
    case 7:
        return image.mirrored(true, false).transformed(right);
    case 8:
        return image.transformed(left);
    default:
        return image;
    }
}

} // namespace vimbrel
