#pragma once

#include <chrono>
#include <condition_variable>
#include <fluidsynth.h>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vimbrel {

// A fluidsynth synthesizer with a sound font loaded, for one MIDI stream.
// It renders only when asked (no audio driver of its own) and loads an
// instrument's samples from the sound font only when a channel selects it.
class MidiSynthesizer {
public:
    static constexpr int kSampleRate = 44100;

    // Raises vimbrel::Error (OutputUnavailable) when the sound font does not
    // load.
    explicit MidiSynthesizer(std::string soundFont);
    ~MidiSynthesizer();
    MidiSynthesizer(const MidiSynthesizer&) = delete;
    MidiSynthesizer& operator=(const MidiSynthesizer&) = delete;

    fluid_synth_t* Synth() const { return m_synth; }
    const std::string& SoundFont() const { return m_soundFont; }

private:
    std::string m_soundFont;
    fluid_settings_t* m_settings = nullptr;
    fluid_synth_t* m_synth = nullptr;
};

// Keeps one synthesizer ready, so that a MIDI file starts without waiting
// for the sound font to load (over 100 ms for the General MIDI font, most of
// the time a piece may take to start). The spare is made on a thread of the
// pool's own: when asked for, and again a little after each one is taken.
class MidiSynthesizerPool {
public:
    static MidiSynthesizerPool& Instance();

    MidiSynthesizerPool() = default;
    ~MidiSynthesizerPool();
    MidiSynthesizerPool(const MidiSynthesizerPool&) = delete;
    MidiSynthesizerPool& operator=(const MidiSynthesizerPool&) = delete;

    // A synthesizer for the sound font: the spare when there is one for it,
    // or one being made (waited for), otherwise one made now. Raises what
    // MidiSynthesizer raises.
    std::unique_ptr<MidiSynthesizer> Take(const std::string& soundFont);

    // Makes a spare for the sound font in the background, unless one is
    // there or on its way.
    void Prepare(const std::string& soundFont);

    // Lets the spare go and wants none until the next Prepare or Take.
    void Release();

private:
    void RequestLocked(const std::string& soundFont, std::chrono::milliseconds delay);
    void Work();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::unique_ptr<MidiSynthesizer> m_spare;
    // The sound font a spare is wanted for; "" for none.
    std::string m_wanted;
    std::chrono::steady_clock::time_point m_notBefore;
    bool m_building = false;
    bool m_stopping = false;
    std::thread m_worker;
};

} // namespace vimbrel
