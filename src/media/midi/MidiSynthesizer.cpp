#include "media/midi/MidiSynthesizer.h"

#include "media/VideoSurface.h"
#include "platform/ProcessControl.h"
#include "runtime/Error.h"

#include <malloc.h>
#include <new>

namespace vimbrel {
namespace {

const char kSource[] = "MediaPlayer1";

// The synthesizer's own default gain (0.2) leaves General MIDI pieces far
// quieter than other media; at 0.5 a full orchestra still stays clear of
// clipping, which the 16-bit output would turn into crackle.
constexpr double kGain = 0.5;

// A spare is made this long after the last one was taken, so that making it
// does not compete with the start of the piece that took it.
constexpr std::chrono::milliseconds kRefillDelay{1500};

// fluidsynth prints every message to the terminal unless told otherwise;
// the errors that matter come back as return values anyway.
void SilenceSynthesizer() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int level = FLUID_PANIC; level <= FLUID_DBG; ++level) {
            fluid_set_log_function(level, nullptr, nullptr);
        }
    });
}

} // namespace

MidiSynthesizer::MidiSynthesizer(std::string soundFont) : m_soundFont(std::move(soundFont)) {
    SilenceSynthesizer();
    {
        // fluidsynth sets up its shared tables on the first synthesizer it
        // makes, without a lock of its own.
        static std::mutex creation;
        const std::lock_guard lock(creation);
        m_settings = new_fluid_settings();
        if (m_settings == nullptr) {
            throw std::bad_alloc();
        }
        fluid_settings_setnum(m_settings, "synth.sample-rate", kSampleRate);
        fluid_settings_setnum(m_settings, "synth.gain", kGain);
        // Only the instruments a piece selects are read from the sound
        // font: the whole General MIDI font is some 140 MB, which takes most
        // of a second to read and would stay in memory.
        fluid_settings_setint(m_settings, "synth.dynamic-sample-loading", 1);
        fluid_settings_setint(m_settings, "synth.lock-memory", 0);
        // The piece's clock is the audio rendered, not the wall clock: mpv
        // reads ahead of playback, and faster than real time.
        fluid_settings_setstr(m_settings, "player.timing-source", "sample");
        // Otherwise the end of the piece would cut off the notes still
        // dying away.
        fluid_settings_setint(m_settings, "player.reset-synth", 0);
        m_synth = new_fluid_synth(m_settings);
        if (m_synth == nullptr) {
            delete_fluid_settings(m_settings);
            throw std::bad_alloc();
        }
    }
    if (fluid_synth_sfload(m_synth, m_soundFont.c_str(), 1) == FLUID_FAILED) {
        delete_fluid_synth(m_synth);
        delete_fluid_settings(m_settings);
        throw Error(ErrorNumber::OutputUnavailable, kSource,
                    "The sound font cannot be loaded: " + m_soundFont);
    }
}

MidiSynthesizer::~MidiSynthesizer() {
    delete_fluid_synth(m_synth);
    delete_fluid_settings(m_settings);
}

MidiSynthesizerPool& MidiSynthesizerPool::Instance() {
    static MidiSynthesizerPool pool;
    return pool;
}

MidiSynthesizerPool::~MidiSynthesizerPool() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    if (m_worker.joinable()) {
        m_worker.join();
    }
}

std::unique_ptr<MidiSynthesizer> MidiSynthesizerPool::Take(const std::string& soundFont) {
    std::unique_lock lock(m_mutex);
    // A spare on its way is ready sooner than a new one would be.
    m_changed.wait(lock, [&] { return !m_building || m_wanted != soundFont; });
    std::unique_ptr<MidiSynthesizer> taken = std::move(m_spare);
    RequestLocked(soundFont, kRefillDelay);
    lock.unlock();
    if (taken != nullptr && taken->SoundFont() == soundFont) {
        return taken;
    }
    return std::make_unique<MidiSynthesizer>(soundFont);
}

void MidiSynthesizerPool::Prepare(const std::string& soundFont) {
    const std::lock_guard lock(m_mutex);
    if (m_spare == nullptr || m_spare->SoundFont() != soundFont) {
        RequestLocked(soundFont, {});
    }
}

void MidiSynthesizerPool::Release() {
    std::unique_ptr<MidiSynthesizer> spare;
    {
        const std::lock_guard lock(m_mutex);
        m_wanted.clear();
        spare = std::move(m_spare);
    }
    // Goes without the lock held; a spare being made is dropped once made.
    spare.reset();
    platform::ReturnFreedMemory();
}

void MidiSynthesizerPool::RequestLocked(const std::string& soundFont,
                                        std::chrono::milliseconds delay) {
    m_wanted = soundFont;
    m_notBefore = std::chrono::steady_clock::now() + delay;
    if (!m_worker.joinable()) {
        m_worker = std::thread(&MidiSynthesizerPool::Work, this);
    }
    m_changed.notify_all();
}

void MidiSynthesizerPool::Work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        const bool wanted =
            !m_wanted.empty() && (m_spare == nullptr || m_spare->SoundFont() != m_wanted);
        if (m_stopping) {
            return;
        }
        if (!wanted) {
            m_changed.wait(lock);
            continue;
        }
        if (std::chrono::steady_clock::now() < m_notBefore) {
            m_changed.wait_until(lock, m_notBefore);
            continue;
        }
        const std::string soundFont = m_wanted;
        std::unique_ptr<MidiSynthesizer> old = std::move(m_spare);
        m_building = true;
        lock.unlock();
        old.reset();
        std::unique_ptr<MidiSynthesizer> made;
        try {
            made = std::make_unique<MidiSynthesizer>(soundFont);
        } catch (...) {
            // Taking one will make it again, and report why it fails.
        }
        // Loading the sound font leaves much freed memory in this thread's
        // heap, which would otherwise stay with the process.
        malloc_trim(0);
        lock.lock();
        m_building = false;
        if (made != nullptr && m_wanted == soundFont) {
            m_spare = std::move(made);
        } else if (made == nullptr && m_wanted == soundFont) {
            m_wanted.clear();
        }
        m_changed.notify_all();
        if (made != nullptr) {
            // Wanted no longer: goes without the lock held.
            lock.unlock();
            made.reset();
            lock.lock();
        }
    }
}

} // namespace vimbrel
