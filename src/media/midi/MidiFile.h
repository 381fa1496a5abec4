#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vimbrel {

// A MIDI file checked for playing: a standard MIDI file, given as it is or
// wrapped in a RIFF "RMID" file whose "data" chunk holds it.
struct MidiFile {
    // The piece as a clean standard MIDI file for the synthesizer: one
    // status byte per event (no running status), a six-byte header, exact
    // track lengths, an end-of-track event on every track, and nothing the
    // synthesizer's reader would refuse (escaped system-exclusive events,
    // meta events of the wrong length are left out; they carry no sound).
    std::vector<std::uint8_t> standardFile;
    int format = 0;
    int trackCount = 0;
    // Note-on events of non-zero velocity, over all tracks.
    int noteCount = 0;
    // From the start to the last track's end, through the tempo changes.
    double durationSeconds = 0;
};

// The largest file taken: a real piece is well under a megabyte, and the
// synthesizer keeps every event of the piece in memory.
inline constexpr std::size_t kMaxMidiFileBytes = 16 * 1024 * 1024;

// Checks that the bytes hold a complete, playable MIDI file and returns it
// cleaned up. Raises vimbrel::Error (CannotPlayMedia) naming the fault for
// anything else: another kind of file, a header or track cut short, events
// the standard does not allow, timing the synthesizer cannot follow (frames
// per second instead of ticks per quarter note, zero ticks per quarter).
MidiFile ParseMidiFile(std::span<const std::uint8_t> bytes);

// Reads the file and parses it; a file that cannot be read raises the file
// error of its errno, one larger than kMaxMidiFileBytes CannotPlayMedia.
MidiFile ReadMidiFile(const std::string& path);

} // namespace vimbrel
