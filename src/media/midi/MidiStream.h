#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

struct mpv_handle;

namespace vimbrel {

// MIDI files play through mpv like any sound, synthesized on the fly with
// the General MIDI sound font: the player loads MidiStreamAddress(path)
// instead of the path, after RegisterMidiProtocol on its core. mpv then
// reads a WAV stream (16-bit stereo, 44.1 kHz) whose audio is rendered a
// little at a time as mpv asks for it, so a long piece starts at once.
//
// Opening the address fails (mpv ends the entry with
// MPV_ERROR_LOADING_FAILED before MPV_EVENT_FILE_LOADED) when the file
// cannot be read, is no playable MIDI file, or when no sound font is found.
// mpv cannot tell these apart, so a player that wants to blame the machine
// rather than the file asks MidiSynthesisAvailable() first, or calls
// CheckMidiFile() to get the reason as a vimbrel::Error: no sound font is
// ErrorNumber::OutputUnavailable (the machine's fault, the file may be
// fine), as is a missing synthesizer library; a file that is no playable
// MIDI file CannotPlayMedia.
//
// The stream ends (mpv's end of file, reason EOF) shortly after the piece's
// last event: notes still held are released then, and the stream ends once
// they and their echo have died away, at most kMidiReleaseSeconds later.
// mpv does not know the piece's length (no "duration"), only the position.
// Seeking works: back by starting the piece over (so "seek 0" costs
// nothing), forward by rendering the audio in between, which takes a while
// far into a long piece. mpv keeps its usual second of read-ahead and no
// cache for these addresses, so the audio is rendered at the pace it plays.

// Whether platform::FindSoundFont() finds a file that is a sound font (SoundFont 2),
// and the synthesizer's library opens.
bool MidiSynthesisAvailable();

// .mid, .midi and .rmi, in any case.
bool IsMidiFileName(std::string_view name);

// The address under which mpv plays the MIDI file at absolutePath.
std::string MidiStreamAddress(const std::string& absolutePath);

// Lets the core open MidiStreamAddress()es. Call once per core, before
// loading any; calling it again for the same core does nothing. Raises
// vimbrel::Error (CannotPlayMedia) when mpv refuses the protocol. The
// synthesizer is not prepared here: a show of pictures alone never pays for
// it (see PrepareMidiSynthesis).
void RegisterMidiProtocol(mpv_handle* core);

// Loads the sound font into a spare synthesizer in the background, unless
// one is ready, so that the next MIDI file starts at once rather than after
// the 100 ms or more the load takes. The spare holds some 20 to 40 MB
// while no MIDI file plays (bench/MidiStartBench.cpp). Every stream opened takes the spare, and
// another is made a little later. Does nothing without a sound font.
void PrepareMidiSynthesis();

// Lets the spare synthesizer of PrepareMidiSynthesis go, with the memory its
// sounds take; the player calls this after a while without media.
void ReleaseMidiSynthesis();

// Checks, without synthesizing anything, what opening the file would find:
// raises the error that stands for the first fault (OutputUnavailable for
// the machine, a file error for an unreadable file, CannotPlayMedia for a
// file that is no playable MIDI file) and returns normally for a playable
// file.
void CheckMidiFile(const std::string& path);

// Once the piece is over, the last notes sound at most this long.
inline constexpr double kMidiReleaseSeconds = 3.0;

// The WAV stream of one MIDI file, as mpv reads it; usable on its own. Each
// stream has a synthesizer of its own, so any number can be open at once,
// each used by one thread at a time.
class MidiStream {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr int kChannels = 2;
    static constexpr std::size_t kBytesPerFrame = kChannels * sizeof(std::int16_t);
    static constexpr std::size_t kHeaderBytes = 44;

    // Reads the file and makes its synthesizer ready. Raises the errors
    // CheckMidiFile names.
    static std::unique_ptr<MidiStream> Open(const std::string& path);

    virtual ~MidiStream() = default;

    // Fills the buffer from the stream, rendering as much audio as that
    // takes; returns the bytes given, fewer only at the end, 0 after it.
    virtual std::size_t Read(std::span<char> buffer) = 0;

    // Moves to a byte offset: back by starting the piece over, forward by
    // rendering and dropping the audio in between. Returns false for an
    // offset past the end of the stream: at once, without moving, when it
    // lies beyond anything the piece could last; otherwise at the end.
    virtual bool Seek(std::uint64_t offset) = 0;

    // The byte offset of the next Read.
    virtual std::uint64_t Position() const = 0;

    // The piece's length in seconds, from its tempo changes, without the
    // dying away of the last notes.
    virtual double DurationSeconds() const = 0;
};

} // namespace vimbrel
