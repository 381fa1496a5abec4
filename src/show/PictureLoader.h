#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace vimbrel {

// A picture read for the show: its natural size in pixels (upright, as its
// orientation tag asks) and the pixels, decoded at the size it will be
// drawn at when that is smaller, which is much faster for large photographs
// and keeps memory low.
struct LoadedPicture {
    QSize natural;
    QImage image; // null when the file could not be read as a picture
    // Why this machine cannot show the picture when that is no fault of the
    // file's: no decoder for its kind here, or more pixels than the show
    // decodes. Empty when the image is there, or when the file is at fault
    // (corrupt, truncated, no picture at all).
    std::string notOnThisMachine;
};

// The size to decode at, given the natural size.
using DecodeSizeOf = std::function<QSize(QSize natural)>;

// The most pixels a picture is decoded with (about 128 MB): a picture shown
// larger than that is drawn from a reduced decode.
inline constexpr qint64 kMaxDecodedPixels = 32'000'000;

// The most memory a picture whose kind cannot be decoded at a reduced size
// (PNG, TIFF, WebP, HEIF) may take decoded whole: 256 MB, 8192 x 8192 pixels
// of four bytes (fewer of eight, as 16-bit pictures are decoded). A larger
// one, as a decompression bomb is, is refused before it is decoded.
inline constexpr qint64 kMaxWholeDecodeBytes = qint64{256} * 1024 * 1024;
inline constexpr qint64 kMaxWholeDecodePixels = kMaxWholeDecodeBytes / 4;

// The size a picture of that natural size is decoded at: what `decodeSize`
// asks, never larger than the picture, and within kMaxDecodedPixels.
QSize DecodeTarget(QSize natural, const DecodeSizeOf& decodeSize);

// The words for a picture refused for its size.
std::string TooManyPixels();

// Reads a picture whole; a null image when the file is missing, unreadable
// or no picture.
LoadedPicture ReadPicture(const std::string& path, const DecodeSizeOf& decodeSize);

// Reads pictures off the UI thread, and reads the next one in the
// background while the current one stands, so that the next change is
// immediate. A file on a hung mount holds one of its threads, never the show.
class PictureLoader {
public:
    PictureLoader();
    ~PictureLoader();
    PictureLoader(const PictureLoader&) = delete;
    PictureLoader& operator=(const PictureLoader&) = delete;

    // Reads the picture on a thread of its own (taking the background read
    // when one was made for the same file and decode size) and hands it to
    // `done` through the event loop. A later Load or Cancel drops the
    // request: its `done` is never called.
    void Load(const std::string& path, DecodeSizeOf decodeSize,
              std::function<void(LoadedPicture)> done);
    void Cancel();

    // Starts reading a picture in the background; a later Prefetch replaces
    // the earlier request.
    void Prefetch(const std::string& path, DecodeSizeOf decodeSize);

    struct Slot;

private:
    std::shared_ptr<Slot> m_slot;
    // Load requests made so far, which names each.
    uint64_t m_requests = 0;
};

} // namespace vimbrel
