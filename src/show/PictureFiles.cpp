// Reading a picture file for the show: the decoder its kind needs, its
// orientation, and the size it is decoded at.

#include "catalogue/MediaKind.h"
#include "platform/FileSystem.h"
#include "show/ExifOrientation.h"
#include "show/HeifCanvas.h"
#include "show/HeifPicture.h"
#include "show/PictureLoader.h"

#include <QFile>
#include <QImageReader>
#include <QtGlobal>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <set>

namespace vimbrel {

namespace {

// Who decodes a kind of picture, and which package brings the decoder.
struct PictureFormat {
    const char* extension;
    const char* qtFormat; // nullptr: libheif
    const char* package;
    // Whether the decoder makes the picture at the size it is drawn at
    // (JPEG, WebP), so that a picture of any size takes little memory.
    bool decodesReduced;
};

constexpr PictureFormat kPictureFormats[] = {
    {"JPG", "jpeg", "libqt6gui6", true},
    {"GIF", "gif", "libqt6gui6", false},
    {"BMP", "bmp", "libqt6gui6", false},
    {"JPEG", "jpeg", "libqt6gui6", true},
    {"PNG", "png", "libqt6gui6", false},
    {"WEBP", "webp", "qt6-image-formats-plugins", false},
    {"TIF", "tiff", "qt6-image-formats-plugins", false},
    {"TIFF", "tiff", "qt6-image-formats-plugins", false},
    {"HEIC", nullptr, "libheif1", false},
    {"HEIF", nullptr, "libheif1", false},
    {"AVIF", nullptr, "libheif1", false},
};

// HEIF files are read whole into memory; a larger one is no photograph.
constexpr qint64 kMaxHeifFileBytes = qint64{256} * 1024 * 1024;

const PictureFormat* FormatOf(const std::string& path) {
    const std::string name = std::filesystem::path(path).filename().string();
    const std::string extension = ExtensionOf(name);
    for (const PictureFormat& format : kPictureFormats) {
        if (extension == format.extension) {
            return &format;
        }
    }
    return nullptr;
}

// A picture of the fifteen classic types that cannot be decoded is the
// file's fault, whatever its size, as it always was.
bool Classic(const PictureFormat& format) {
    const auto types = MediaTypes();
    return std::any_of(types.begin(), types.end(), [&](const MediaType& type) {
        return type.classic && std::string_view(type.extension) == format.extension;
    });
}

bool QtDecodes(const char* qtFormat) {
    // Qt finds its image plug-ins once; the answer does not change.
    static const std::set<QByteArray> formats = [] {
        const QList<QByteArray> supported = QImageReader::supportedImageFormats();
        return std::set<QByteArray>(supported.begin(), supported.end());
    }();
    return formats.contains(QByteArray(qtFormat));
}

QSize Transposed(QSize size) {
    return {size.height(), size.width()};
}

LoadedPicture ReadWithQt(QFile& file, const DecodeSizeOf& decodeSize, const PictureFormat* format) {
    LoadedPicture picture;
    // PNG and WebP decoders leave a stored orientation aside; it is read
    // here, before the decoder takes the file.
    ExifOrientation own = StoredExifOrientation(file);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty()) {
        return picture;
    }
    if (reader.transformation() != QImageIOHandler::TransformationNone) {
        own = 1; // the decoder turns it itself
    }
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90) ||
                        TurnsAQuarter(own);
    picture.natural = turned ? Transposed(stored) : stored;
    // A decoder that makes the whole picture before scaling it is refused a
    // picture that would take more than its share of memory, before it
    // starts: a decompression bomb has a small file and a huge size.
    const bool whole = format == nullptr || !format->decodesReduced;
    const qint64 bytesAPixel =
        std::max(4, QImage::toPixelFormat(reader.imageFormat()).bitsPerPixel() / 8);
    if (whole && qint64{stored.width()} * stored.height() * bytesAPixel > kMaxWholeDecodeBytes &&
        format != nullptr && !Classic(*format)) {
        picture.notOnThisMachine = TooManyPixels();
        return picture;
    }

    const QSize target = DecodeTarget(picture.natural, decodeSize);
    if (target != picture.natural) {
        // The reader scales the picture as stored, before turning it upright.
        reader.setScaledSize(turned ? Transposed(target) : target);
    }
    picture.image = reader.read();
    if (picture.image.isNull()) {
        return picture;
    }
    picture.image = Upright(std::move(picture.image), own);
    if (picture.image.format() != QImage::Format_RGB32 &&
        picture.image.format() != QImage::Format_ARGB32_Premultiplied) {
        picture.image = picture.image.convertToFormat(picture.image.hasAlphaChannel()
                                                          ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
    }
    return picture;
}

LoadedPicture ReadWithLibheif(QFile& file, const DecodeSizeOf& decodeSize) {
    if (file.size() > kMaxHeifFileBytes) {
        LoadedPicture picture;
        picture.notOnThisMachine = "a HEIF file over 256 MB";
        return picture;
    }
    const QByteArray bytes = file.readAll();
    return ReadHeifPicture(bytes, decodeSize);
}

} // namespace

QSize DecodeTarget(QSize natural, const DecodeSizeOf& decodeSize) {
    QSize size = (decodeSize ? decodeSize(natural) : natural).boundedTo(natural);
    size = size.expandedTo(QSize(1, 1));
    const qint64 pixels = static_cast<qint64>(size.width()) * size.height();
    if (pixels <= kMaxDecodedPixels) {
        return size;
    }
    const double factor =
        std::sqrt(static_cast<double>(kMaxDecodedPixels) / static_cast<double>(pixels));
    return {std::max(1, static_cast<int>(size.width() * factor)),
            std::max(1, static_cast<int>(size.height() * factor))};
}

std::string TooManyPixels() {
    return "more pixels than the show decodes at once (" +
           std::to_string(kMaxWholeDecodeBytes / (1024 * 1024)) + " MB)";
}

LoadedPicture ReadPicture(const std::string& path, const DecodeSizeOf& decodeSize) {
    // Qt's own limit on a decoded picture, raised once to the show's (a
    // user's QT_IMAGEIO_MAXALLOC stands); once, because it is one value for
    // every thread that decodes.
    static std::once_flag allocationLimit;
    std::call_once(allocationLimit, [] {
        if (qEnvironmentVariableIsEmpty("QT_IMAGEIO_MAXALLOC")) {
            QImageReader::setAllocationLimit(
                static_cast<int>(kMaxWholeDecodeBytes / (1024 * 1024)));
        }
    });
    const PictureFormat* format = FormatOf(path);
    if (format != nullptr && format->qtFormat != nullptr && !QtDecodes(format->qtFormat)) {
        LoadedPicture picture;
        picture.notOnThisMachine = std::string("no decoder for ") + format->extension +
                                   " pictures (install " + format->package + ")";
        return picture;
    }
    // The file is opened by its bytes: a name that is not valid UTF-8 would
    // not survive the way through a QString.
    const int fd = platform::OpenForReading(path);
    if (fd < 0) {
        return {};
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        platform::CloseDescriptor(fd);
        return {};
    }
    // Which decoder reads it goes by what the file holds: a photo saved
    // under the other kind's name is still shown.
    if (LooksLikeHeif(file.peek(12))) {
        return ReadWithLibheif(file, decodeSize);
    }
    return ReadWithQt(file, decodeSize, format);
}

} // namespace vimbrel
