#include "show/PictureLoader.h"

#include "platform/FileSystem.h"

#include <QFile>
#include <QImageReader>
#include <QThreadPool>
#include <cmath>
#include <condition_variable>

namespace vimbrel {

namespace {

QSize Transposed(QSize size) {
    return {size.height(), size.width()};
}

QSize WithinBudget(QSize size) {
    const qint64 pixels = static_cast<qint64>(size.width()) * size.height();
    if (pixels <= kMaxDecodedPixels) {
        return size;
    }
    const double factor =
        std::sqrt(static_cast<double>(kMaxDecodedPixels) / static_cast<double>(pixels));
    return {std::max(1, static_cast<int>(size.width() * factor)),
            std::max(1, static_cast<int>(size.height() * factor))};
}

} // namespace

LoadedPicture ReadPicture(const std::string& path, const DecodeSizeOf& decodeSize) {
    LoadedPicture picture;
    // The file is opened by its bytes: a name that is not valid UTF-8 would
    // not survive the way through a QString.
    const int fd = platform::OpenForReading(path);
    if (fd < 0) {
        return picture;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        platform::CloseDescriptor(fd);
        return picture;
    }
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize stored = reader.size();
    if (!stored.isValid() || stored.isEmpty()) {
        return picture;
    }
    const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
    picture.natural = turned ? Transposed(stored) : stored;

    QSize target = decodeSize ? decodeSize(picture.natural) : picture.natural;
    target = target.boundedTo(picture.natural).expandedTo(QSize(1, 1));
    target = WithinBudget(target);
    if (target != picture.natural) {
        // The reader scales the picture as stored, before turning it upright.
        reader.setScaledSize(turned ? Transposed(target) : target);
    }
    picture.image = reader.read();
    if (!picture.image.isNull() && picture.image.format() != QImage::Format_RGB32 &&
        picture.image.format() != QImage::Format_ARGB32_Premultiplied) {
        picture.image = picture.image.convertToFormat(picture.image.hasAlphaChannel()
                                                          ? QImage::Format_ARGB32_Premultiplied
                                                          : QImage::Format_RGB32);
    }
    return picture;
}

struct PictureLoader::Slot {
    std::mutex mutex;
    std::condition_variable done;
    std::string path;
    // The file's identity, so that a background read of a file that has
    // changed since is not used.
    platform::FileStamp stamp;
    QSize natural;
    QSize target;
    bool busy = false;
    bool ready = false;
    LoadedPicture result;
    uint64_t generation = 0;
};

PictureLoader::PictureLoader() : m_slot(std::make_shared<Slot>()) {}

PictureLoader::~PictureLoader() {
    // A read still running finishes into the shared slot, which it keeps
    // alive; nothing waits for it here.
}

void PictureLoader::Prefetch(const std::string& path, DecodeSizeOf decodeSize) {
    std::shared_ptr<Slot> slot = m_slot;
    uint64_t generation = 0;
    {
        std::lock_guard lock(slot->mutex);
        generation = ++slot->generation;
        slot->path = path;
        slot->stamp = platform::StampOf(path);
        slot->busy = true;
        slot->ready = false;
        slot->result = {};
    }
    QThreadPool::globalInstance()->start([slot, path, decodeSize, generation] {
        LoadedPicture picture = ReadPicture(path, decodeSize);
        const QSize target = picture.image.size();
        std::lock_guard lock(slot->mutex);
        if (slot->generation != generation) {
            return; // a newer request replaced this one
        }
        slot->natural = picture.natural;
        slot->target = target;
        slot->result = std::move(picture);
        slot->busy = false;
        slot->ready = true;
        slot->done.notify_all();
    });
}

LoadedPicture PictureLoader::Load(const std::string& path, const DecodeSizeOf& decodeSize) {
    {
        std::unique_lock lock(m_slot->mutex);
        if (m_slot->path == path && (m_slot->busy || m_slot->ready)) {
            m_slot->done.wait(lock, [this] { return !m_slot->busy; });
            const QSize wanted =
                WithinBudget((decodeSize ? decodeSize(m_slot->natural) : m_slot->natural)
                                 .boundedTo(m_slot->natural)
                                 .expandedTo(QSize(1, 1)));
            const bool usable = m_slot->ready && !m_slot->result.image.isNull() &&
                                m_slot->target == wanted &&
                                m_slot->stamp == platform::StampOf(path);
            if (usable) {
                LoadedPicture picture = std::move(m_slot->result);
                m_slot->ready = false;
                m_slot->path.clear();
                return picture;
            }
        }
    }
    return ReadPicture(path, decodeSize);
}

} // namespace vimbrel
