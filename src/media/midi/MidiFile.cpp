#include "media/midi/MidiFile.h"

#include "media/VideoSurface.h"
#include "platform/FileSystem.h"
#include "runtime/Error.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

namespace vimbrel {
namespace {

const char kSource[] = "MediaPlayer1";

// The synthesizer's reader takes the header's track count as one signed
// byte; more tracks than that would be read as a count of millions.
constexpr int kMaxTracks = 127;
// The largest number a delta time can hold (four bytes of seven bits), and
// the synthesizer's largest tick (a signed 32-bit count).
constexpr std::uint32_t kMaxDelta = 0x0FFFFFFF;
constexpr std::uint64_t kMaxTick = 0x7FFFFFFF;
// A quarter note lasts half a second until a tempo event says otherwise.
constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000;

[[noreturn]] void Fail(const std::string& fault) {
    throw Error(ErrorNumber::CannotPlayMedia, kSource, "Not a playable MIDI file: " + fault);
}

bool HasTag(std::span<const std::uint8_t> bytes, std::size_t at, const char (&tag)[5]) {
    return bytes.size() >= at + 4 && std::memcmp(bytes.data() + at, tag, 4) == 0;
}

// Reads a piece of a file front to back; reading past its end is the fault
// the caller names.
class Cursor {
public:
    Cursor(std::span<const std::uint8_t> bytes, std::string what)
        : m_bytes(bytes), m_what(std::move(what)) {}

    std::size_t Left() const { return m_bytes.size() - m_at; }
    bool AtEnd() const { return m_at == m_bytes.size(); }

    std::uint8_t Byte() { return Take(1)[0]; }
    std::uint32_t BigEndian(int size) {
        std::uint32_t value = 0;
        for (const std::uint8_t byte : Take(static_cast<std::size_t>(size))) {
            value = value << 8 | byte;
        }
        return value;
    }
    std::uint32_t LittleEndian32() {
        const auto bytes = Take(4);
        return static_cast<std::uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                          static_cast<std::uint32_t>(bytes[3]) << 24);
    }
    // A variable-length quantity: seven bits a byte, at most four bytes.
    std::uint32_t VariableLength() {
        std::uint32_t value = 0;
        for (int count = 0; count < 4; ++count) {
            const std::uint8_t byte = Byte();
            value = value << 7 | (byte & 0x7F);
            if ((byte & 0x80) == 0) {
                return value;
            }
        }
        Fail("a number in " + m_what + " is longer than four bytes");
    }
    std::span<const std::uint8_t> Take(std::size_t size) {
        if (size > Left()) {
            Fail(m_what + " is cut short");
        }
        const auto piece = m_bytes.subspan(m_at, size);
        m_at += size;
        return piece;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
    std::string m_what;
};

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int size) {
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void AppendVariableLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::uint8_t groups[4];
    int count = 0;
    do {
        groups[count++] = static_cast<std::uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0 && count < 4);
    while (count > 1) {
        out.push_back(static_cast<std::uint8_t>(groups[--count] | 0x80));
    }
    out.push_back(groups[0]);
}

struct TempoChange {
    std::uint64_t tick;
    std::uint32_t microsecondsPerQuarter;
};

// The standard MIDI file inside an RMID file: its "data" chunk. Any other
// RIFF file is not a MIDI file.
std::span<const std::uint8_t> UnwrapRiff(std::span<const std::uint8_t> bytes) {
    if (!HasTag(bytes, 8, "RMID")) {
        Fail("a RIFF file of another kind");
    }
    Cursor riff(bytes.subspan(12), "the RIFF file");
    // The RIFF size field is often wrong in these files; the chunks are
    // walked to the end of the file instead.
    while (riff.Left() >= 8) {
        const auto id = riff.Take(4);
        const std::uint32_t size = riff.LittleEndian32();
        if (std::memcmp(id.data(), "data", 4) == 0) {
            // A short chunk is left for the track reader to find cut.
            return riff.Take(std::min<std::size_t>(size, riff.Left()));
        }
        const std::size_t padded = static_cast<std::size_t>(size) + (size & 1);
        riff.Take(std::min(padded, riff.Left()));
    }
    Fail("the RMID file holds no MIDI data");
}

// Reads one track's events, writes them cleaned up to out (without the
// chunk header) and returns the tick of the track's end. overrun: the
// track's chunk claims more bytes than the file has, so it must end with
// its own end-of-track event to count as complete.
std::uint64_t CopyTrack(std::span<const std::uint8_t> body, bool overrun, int number,
                        std::vector<std::uint8_t>& out, std::vector<TempoChange>& tempos,
                        int& noteCount) {
    const std::string what = "track " + std::to_string(number);
    Cursor in(body, what);
    std::uint64_t tick = 0;
    // Delta times of events left out, added to the next event kept.
    std::uint32_t pendingDelta = 0;
    std::uint8_t runningStatus = 0;
    bool ended = false;
    const auto emitDelta = [&] {
        // Left-out events may add up to more than one delta can hold; an
        // empty marker, which the synthesizer skips, carries the rest.
        for (; pendingDelta > kMaxDelta; pendingDelta -= kMaxDelta) {
            AppendVariableLength(out, kMaxDelta);
            out.insert(out.end(), {0xFF, 0x06, 0x00});
        }
        AppendVariableLength(out, pendingDelta);
        pendingDelta = 0;
    };
    while (!in.AtEnd()) {
        const std::uint32_t delta = in.VariableLength();
        tick += delta;
        if (tick > kMaxTick) {
            Fail(what + " lasts longer than the synthesizer can count");
        }
        pendingDelta += delta;
        std::uint8_t status = in.Byte();
        int dataRead = 0;
        std::uint8_t data[2] = {0, 0};
        if (status < 0x80) {
            if (runningStatus == 0) {
                Fail(what + " has a data byte where an event should start");
            }
            data[dataRead++] = status;
            status = runningStatus;
        }
        if (status < 0xF0) {
            runningStatus = status;
            const int kind = status & 0xF0;
            const int size = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
            for (; dataRead < size; ++dataRead) {
                data[dataRead] = in.Byte();
            }
            if (data[0] >= 0x80 || data[1] >= 0x80) {
                Fail(what + " has a MIDI message cut short");
            }
            if (kind == 0x90 && data[1] != 0) {
                ++noteCount;
            }
            emitDelta();
            out.push_back(status);
            out.insert(out.end(), data, data + size);
            continue;
        }
        // System-exclusive and meta events cancel the running status.
        runningStatus = 0;
        if (status == 0xFF) {
            const std::uint8_t type = in.Byte();
            const std::uint32_t length = in.VariableLength();
            const auto payload = in.Take(length);
            if (type == 0x2F) {
                ended = true;
                break;
            }
            // The synthesizer refuses the whole file over one of these with
            // the wrong length; a zero tempo would stop its clock.
            const bool wrongLength = (type == 0x51 && length != 3) ||
                                     (type == 0x54 && length != 5) ||
                                     (type == 0x58 && length != 4) || (type == 0x59 && length != 2);
            if (wrongLength) {
                continue;
            }
            if (type == 0x51) {
                const auto tempo =
                    static_cast<std::uint32_t>(payload[0] << 16 | payload[1] << 8 | payload[2]);
                if (tempo == 0) {
                    continue;
                }
                tempos.push_back({tick, tempo});
            }
            emitDelta();
            out.insert(out.end(), {0xFF, type});
            AppendVariableLength(out, length);
            out.insert(out.end(), payload.begin(), payload.end());
        } else if (status == 0xF0 || status == 0xF7) {
            const auto payload = in.Take(in.VariableLength());
            // An escape (F7) carries raw bytes the synthesizer's reader
            // cannot take; it never makes a sound.
            if (status == 0xF0) {
                emitDelta();
                out.push_back(0xF0);
                AppendVariableLength(out, static_cast<std::uint32_t>(payload.size()));
                out.insert(out.end(), payload.begin(), payload.end());
            }
        } else {
            Fail(what + " has an event of an unknown kind");
        }
    }
    if (overrun && !ended) {
        Fail(what + " is cut short");
    }
    emitDelta();
    out.insert(out.end(), {0xFF, 0x2F, 0x00});
    return tick;
}

double SecondsAt(std::uint64_t endTick, std::vector<TempoChange> tempos, int division) {
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoChange& a, const TempoChange& b) { return a.tick < b.tick; });
    double seconds = 0;
    std::uint64_t tick = 0;
    std::uint32_t tempo = kDefaultMicrosecondsPerQuarter;
    for (const TempoChange& change : tempos) {
        if (change.tick >= endTick) {
            break;
        }
        seconds += static_cast<double>(change.tick - tick) * tempo / division / 1e6;
        tick = change.tick;
        tempo = change.microsecondsPerQuarter;
    }
    return seconds + static_cast<double>(endTick - tick) * tempo / division / 1e6;
}

} // namespace

MidiFile ParseMidiFile(std::span<const std::uint8_t> bytes) {
    if (HasTag(bytes, 0, "RIFF")) {
        bytes = UnwrapRiff(bytes);
    }
    if (!HasTag(bytes, 0, "MThd")) {
        Fail("no MIDI header");
    }
    Cursor in(bytes.subspan(4), "the MIDI header");
    const std::uint32_t headerLength = in.BigEndian(4);
    if (headerLength < 6) {
        Fail("the MIDI header is too short");
    }
    MidiFile file;
    file.format = static_cast<int>(in.BigEndian(2));
    file.trackCount = static_cast<int>(in.BigEndian(2));
    const std::uint32_t division = in.BigEndian(2);
    // Later versions of the format may add to the header.
    in.Take(headerLength - 6);
    if (file.format > 2) {
        Fail("unknown format " + std::to_string(file.format));
    }
    if (file.trackCount == 0 || file.trackCount > kMaxTracks) {
        Fail(std::to_string(file.trackCount) + " tracks");
    }
    if ((division & 0x8000) != 0) {
        Fail("timed in SMPTE frames");
    }
    if (division == 0) {
        Fail("zero ticks per quarter note");
    }

    std::vector<std::uint8_t>& out = file.standardFile;
    out.reserve(bytes.size() + 64);
    out.insert(out.end(), {'M', 'T', 'h', 'd', 0, 0, 0, 6});
    AppendBigEndian(out, static_cast<std::uint32_t>(file.format), 2);
    AppendBigEndian(out, static_cast<std::uint32_t>(file.trackCount), 2);
    AppendBigEndian(out, division, 2);

    std::vector<TempoChange> tempos;
    std::uint64_t endTick = 0;
    for (int track = 1; track <= file.trackCount;) {
        if (in.Left() < 8) {
            Fail(track == 1 ? "no track" : "track " + std::to_string(track) + " is missing");
        }
        const auto id = in.Take(4);
        const std::uint32_t length = in.BigEndian(4);
        if (std::memcmp(id.data(), "MTrk", 4) != 0) {
            // Chunks of other kinds are allowed, and skipped; bytes that are
            // no chunk name at all mean the file is damaged.
            if (std::any_of(id.begin(), id.end(),
                            [](std::uint8_t c) { return c < 32 || c > 126; })) {
                Fail("damaged data before track " + std::to_string(track));
            }
            in.Take(std::min<std::size_t>(length, in.Left()));
            continue;
        }
        const bool overrun = length > in.Left();
        const auto body = in.Take(overrun ? in.Left() : length);
        out.insert(out.end(), {'M', 'T', 'r', 'k', 0, 0, 0, 0});
        const std::size_t start = out.size();
        endTick = std::max(endTick, CopyTrack(body, overrun, track, out, tempos, file.noteCount));
        const auto size = static_cast<std::uint32_t>(out.size() - start);
        for (int index = 0; index < 4; ++index) {
            out[start - 4 + static_cast<std::size_t>(index)] =
                static_cast<std::uint8_t>(size >> (24 - 8 * index));
        }
        ++track;
    }
    file.durationSeconds = SecondsAt(endTick, std::move(tempos), static_cast<int>(division));
    return file;
}

MidiFile ReadMidiFile(const std::string& path) {
    const std::optional<std::string> bytes =
        platform::ReadPlainFileUpTo(path, kMaxMidiFileBytes, kSource);
    if (!bytes) {
        Fail("larger than " + std::to_string(kMaxMidiFileBytes / 1024 / 1024) + " MB");
    }
    return ParseMidiFile(std::span<const std::uint8_t>(
        reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
}

} // namespace vimbrel
