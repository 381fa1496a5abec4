#include "show/PictureLoader.h"

#include "platform/FileSystem.h"
#include "runtime/OffTheUiThread.h"

#include <atomic>
#include <condition_variable>
#include <exception>
#include <thread>

namespace vimbrel {

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
    // The Load whose picture the show waits for; 0 for none.
    std::atomic<uint64_t> request = 0;
};

namespace {

// The background read's picture when it is of this file as it is now, at
// the size wanted; else the file read now. Runs off the UI thread.
LoadedPicture TakeOrRead(PictureLoader::Slot& slot, const std::string& path,
                         const DecodeSizeOf& decodeSize) {
    {
        std::unique_lock lock(slot.mutex);
        if (slot.path == path && (slot.busy || slot.ready)) {
            slot.done.wait(lock, [&] { return !slot.busy; });
            const QSize wanted = DecodeTarget(slot.natural, decodeSize);
            const bool usable = slot.ready && !slot.result.image.isNull() &&
                                slot.target == wanted && slot.stamp == platform::StampOf(path);
            if (usable) {
                LoadedPicture picture = std::move(slot.result);
                slot.ready = false;
                slot.path.clear();
                return picture;
            }
        }
    }
    return ReadPicture(path, decodeSize);
}

} // namespace

PictureLoader::PictureLoader() : m_slot(std::make_shared<Slot>()) {}

PictureLoader::~PictureLoader() {
    // A read still running finishes into the shared slot, which it keeps
    // alive; nothing waits for it here, and no picture is handed over.
    Cancel();
}

void PictureLoader::Prefetch(const std::string& path, DecodeSizeOf decodeSize) {
    std::shared_ptr<Slot> slot = m_slot;
    uint64_t generation = 0;
    {
        std::lock_guard lock(slot->mutex);
        generation = ++slot->generation;
        slot->path = path;
        slot->busy = true;
        slot->ready = false;
        slot->result = {};
    }
    std::thread([slot, path, decodeSize, generation] {
        const platform::FileStamp stamp = platform::StampOf(path);
        LoadedPicture picture;
        try {
            picture = ReadPicture(path, decodeSize);
        } catch (const std::exception&) {
            // Nothing may leave this thread; the show reads it again itself.
        }
        const QSize target = picture.image.size();
        std::lock_guard lock(slot->mutex);
        if (slot->generation != generation) {
            return; // a newer request replaced this one
        }
        slot->stamp = stamp;
        slot->natural = picture.natural;
        slot->target = target;
        slot->result = std::move(picture);
        slot->busy = false;
        slot->ready = true;
        slot->done.notify_all();
    }).detach();
}

void PictureLoader::Load(const std::string& path, DecodeSizeOf decodeSize,
                         std::function<void(LoadedPicture)> done) {
    std::shared_ptr<Slot> slot = m_slot;
    const uint64_t request = ++m_requests;
    slot->request = request;
    RunOffTheUiThread<LoadedPicture>(
        [slot, path, decodeSize = std::move(decodeSize)] {
            return TakeOrRead(*slot, path, decodeSize);
        },
        [slot, request, done = std::move(done)](LoadedPicture picture) {
            if (slot->request == request) {
                slot->request = 0;
                done(std::move(picture));
            }
        },
        // No picture, as for a file that is none.
        [](const std::exception&) { return LoadedPicture{}; });
}

void PictureLoader::Cancel() {
    m_slot->request = 0;
}

} // namespace vimbrel
