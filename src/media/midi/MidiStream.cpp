#include "media/midi/MidiStream.h"

#include "media/VideoSurface.h"
#include "media/midi/MidiFile.h"
#include "media/midi/MidiSynthesizer.h"
#include "platform/LazyLibrary.h"
#include "platform/UserChoices.h"
#include "runtime/Error.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fluidsynth.h>
#include <fstream>
#include <mpv/client.h>
#include <mpv/stream_cb.h>
#include <vector>

namespace vimbrel {
namespace {

const char kSource[] = "MediaPlayer1";
const char kProtocol[] = "vimbrel-midi";
const char kAddressPrefix[] = "vimbrel-midi://";

// Audio is rendered in blocks of this many frames (23 ms): small enough
// that a read never waits long, large enough that the synthesizer's per-call
// cost does not matter.
constexpr int kBlockFrames = 1024;

// A block whose samples all stay below this (-60 dB) is taken as silence:
// the reverberation has died away.
constexpr int kQuietLevel = 32;

constexpr int kSustainPedal = 64;
constexpr int kSostenutoPedal = 66;

bool IsSoundFontFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char header[12] = {};
    file.read(header, sizeof header);
    return file.gcount() == sizeof header && std::memcmp(header, "RIFF", 4) == 0 &&
           std::memcmp(header + 8, "sfbk", 4) == 0;
}

std::string RequireSoundFont() {
    if (!platform::SynthesizerLibraryOpens()) {
        throw Error(ErrorNumber::OutputUnavailable, kSource,
                    "The MIDI synthesizer's library is missing, so MIDI files cannot play");
    }
    std::string soundFont = platform::FindSoundFont();
    if (soundFont.empty() || !IsSoundFontFile(soundFont)) {
        throw Error(ErrorNumber::OutputUnavailable, kSource,
                    "No General MIDI sound font is installed, so MIDI files cannot play");
    }
    return soundFont;
}

// The 44-byte header of a PCM WAV file whose length is not known: both
// sizes at their largest, which readers take as "up to the end of the data".
std::vector<char> WaveHeader() {
    std::vector<char> header;
    const auto text = [&](const char* tag) { header.insert(header.end(), tag, tag + 4); };
    const auto number = [&](std::uint32_t value, int bytes) {
        for (int index = 0; index < bytes; ++index) {
            header.push_back(static_cast<char>(value >> (8 * index) & 0xFF));
        }
    };
    constexpr auto frameBytes = static_cast<std::uint32_t>(MidiStream::kBytesPerFrame);
    text("RIFF");
    number(0xFFFFFFFF, 4);
    text("WAVE");
    text("fmt ");
    number(16, 4);
    number(1, 2); // PCM
    number(MidiStream::kChannels, 2);
    number(MidiStream::kSampleRate, 4);
    number(MidiStream::kSampleRate * frameBytes, 4);
    number(frameBytes, 2);
    number(16, 2);
    text("data");
    number(0xFFFFFFFF, 4);
    return header;
}

struct PlayerDeleter {
    void operator()(fluid_player_t* player) const { delete_fluid_player(player); }
};

static_assert(MidiStream::kSampleRate == MidiSynthesizer::kSampleRate);

class SynthesizedStream final : public MidiStream {
public:
    SynthesizedStream(MidiFile file, std::unique_ptr<MidiSynthesizer> synthesizer)
        : m_file(std::move(file)), m_header(WaveHeader()), m_synthesizer(std::move(synthesizer)),
          m_synth(m_synthesizer->Synth()) {
        StartPiece();
    }

    std::size_t Read(std::span<char> buffer) override {
        return Advance(buffer.data(), buffer.size());
    }

    bool Seek(std::uint64_t offset) override {
        if (offset == m_position) {
            return true;
        }
        if (offset > LastPossibleOffset()) {
            return false;
        }
        if (offset < m_position) {
            StartPiece();
        }
        const std::uint64_t distance = offset - m_position;
        return Advance(nullptr, distance) == distance;
    }

    std::uint64_t Position() const override { return m_position; }
    double DurationSeconds() const override { return m_file.durationSeconds; }

private:
    enum class Phase { Playing, Releasing, Ended };

    void StartPiece() {
        m_player.reset();
        // Silence at once, without letting the notes sounding die away,
        // then notes, controllers and instruments as at power-on.
        fluid_synth_all_sounds_off(m_synth, -1);
        fluid_synth_system_reset(m_synth);
        m_player.reset(new_fluid_player(m_synth));
        if (m_player == nullptr ||
            fluid_player_add_mem(m_player.get(), m_file.standardFile.data(),
                                 m_file.standardFile.size()) != FLUID_OK ||
            fluid_player_play(m_player.get()) != FLUID_OK) {
            throw std::bad_alloc();
        }
        m_phase = Phase::Playing;
        m_totalTicks = -1;
        m_lastBlockQuiet = false;
        m_position = 0;
        m_blockBytes = 0;
        m_blockUsed = 0;
    }

    // Where even the slowest ending must have stopped: the piece, the
    // release, and a second for rounding.
    std::uint64_t LastPossibleOffset() const {
        const double seconds = m_file.durationSeconds + kMidiReleaseSeconds + 1;
        return kHeaderBytes + static_cast<std::uint64_t>(seconds * kSampleRate) * kBytesPerFrame;
    }

    // Moves on by up to size bytes, copying them to out unless it is null.
    std::size_t Advance(char* out, std::size_t size) {
        std::size_t done = 0;
        while (done < size) {
            std::span<const char> source;
            if (m_position < kHeaderBytes) {
                source = std::span<const char>(m_header).subspan(m_position);
            } else if (m_blockUsed < m_blockBytes) {
                source = std::span<const char>(reinterpret_cast<const char*>(m_block.data()),
                                               m_blockBytes)
                             .subspan(m_blockUsed);
            } else if (RenderBlock()) {
                continue;
            } else {
                break;
            }
            const std::size_t count = std::min(source.size(), size - done);
            if (out != nullptr) {
                std::memcpy(out + done, source.data(), count);
            }
            if (m_position >= kHeaderBytes) {
                m_blockUsed += count;
            }
            m_position += count;
            done += count;
        }
        return done;
    }

    // Renders the next block of audio; false once the stream has ended.
    bool RenderBlock() {
        m_blockUsed = 0;
        m_blockBytes = 0;
        if (m_phase == Phase::Releasing &&
            ((m_lastBlockQuiet && fluid_synth_get_active_voice_count(m_synth) == 0) ||
             m_releaseFramesLeft <= 0)) {
            m_phase = Phase::Ended;
        }
        if (m_phase == Phase::Ended) {
            return false;
        }
        m_block.resize(static_cast<std::size_t>(kBlockFrames) * kChannels);
        std::int16_t* samples = m_block.data();
        if (fluid_synth_write_s16(m_synth, kBlockFrames, samples, 0, kChannels, samples, 1,
                                  kChannels) != FLUID_OK) {
            m_phase = Phase::Ended;
            return false;
        }
        m_blockBytes = m_block.size() * sizeof(std::int16_t);
        m_lastBlockQuiet = std::all_of(m_block.begin(), m_block.end(), [](std::int16_t sample) {
            return std::abs(sample) < kQuietLevel;
        });
        if (m_phase == Phase::Releasing) {
            m_releaseFramesLeft -= kBlockFrames;
        } else if (PieceOver()) {
            // fluidsynth's player would play on for seconds after the last
            // event: until every note has ended, hanging ones included, and
            // then a while for the reverberation. Instead the notes left
            // hanging die away like released keys, pedals up, and the
            // stream ends once all is quiet.
            for (int channel = 0; channel < fluid_synth_count_midi_channels(m_synth); ++channel) {
                fluid_synth_cc(m_synth, channel, kSustainPedal, 0);
                fluid_synth_cc(m_synth, channel, kSostenutoPedal, 0);
            }
            fluid_synth_all_notes_off(m_synth, -1);
            m_phase = Phase::Releasing;
            m_releaseFramesLeft = static_cast<long>(kMidiReleaseSeconds * kSampleRate);
        }
        return true;
    }

    // Every event of the piece has been played. Asked after a block has
    // been rendered, so the player has read the piece.
    bool PieceOver() {
        if (m_totalTicks < 0) {
            // Counted over every event: once is enough.
            m_totalTicks = fluid_player_get_total_ticks(m_player.get());
        }
        return fluid_player_get_status(m_player.get()) == FLUID_PLAYER_DONE ||
               fluid_player_get_current_tick(m_player.get()) >= m_totalTicks;
    }

    MidiFile m_file;
    std::vector<char> m_header;
    std::unique_ptr<MidiSynthesizer> m_synthesizer;
    fluid_synth_t* m_synth;
    // Declared after the synthesizer, so that it goes first.
    std::unique_ptr<fluid_player_t, PlayerDeleter> m_player;
    Phase m_phase = Phase::Playing;
    int m_totalTicks = -1;
    long m_releaseFramesLeft = 0;
    bool m_lastBlockQuiet = false;
    std::uint64_t m_position = 0;
    std::vector<std::int16_t> m_block;
    std::size_t m_blockBytes = 0;
    std::size_t m_blockUsed = 0;
};

// What mpv holds for one open stream. mpv calls read, seek and close from
// its demuxer thread, one call at a time.
//
// No cancel callback is given to mpv: mpv may call it from another thread
// after close has freed the cookie (its cancel object is unhooked only after
// close returns, and close takes a while here: deleting the synthesizer and
// trimming the heap), so it would write into freed memory and corrupt the
// heap. mpv checks its own cancellation before every read anyway.
struct OpenStream {
    std::unique_ptr<MidiStream> stream;
};

int64_t ReadCallback(void* cookie, char* buffer, uint64_t size) {
    auto* open = static_cast<OpenStream*>(cookie);
    try {
        return static_cast<int64_t>(open->stream->Read({buffer, static_cast<std::size_t>(size)}));
    } catch (...) {
        return -1;
    }
}

int64_t SeekCallback(void* cookie, int64_t offset) {
    auto* open = static_cast<OpenStream*>(cookie);
    try {
        if (offset >= 0 && open->stream->Seek(static_cast<std::uint64_t>(offset))) {
            return offset;
        }
    } catch (...) {
    }
    return MPV_ERROR_GENERIC;
}

void CloseCallback(void* cookie) {
    delete static_cast<OpenStream*>(cookie);
}

int OpenCallback(void*, char* uri, mpv_stream_cb_info* info) {
    try {
        const std::string_view address(uri);
        std::string path;
        for (std::size_t at = std::strlen(kAddressPrefix); at < address.size(); ++at) {
            if (address[at] == '%' && at + 2 < address.size() &&
                std::isxdigit(static_cast<unsigned char>(address[at + 1])) &&
                std::isxdigit(static_cast<unsigned char>(address[at + 2]))) {
                path.push_back(static_cast<char>(
                    std::stoi(std::string(address.substr(at + 1, 2)), nullptr, 16)));
                at += 2;
            } else {
                path.push_back(address[at]);
            }
        }
        auto open = std::make_unique<OpenStream>();
        open->stream = MidiStream::Open(path);
        info->cookie = open.release();
        info->read_fn = &ReadCallback;
        info->seek_fn = &SeekCallback;
        info->size_fn = nullptr;
        info->close_fn = &CloseCallback;
        // No cancel_fn: see OpenStream.
        info->cancel_fn = nullptr;
        return 0;
    } catch (...) {
        return MPV_ERROR_LOADING_FAILED;
    }
}

} // namespace

bool MidiSynthesisAvailable() {
    const std::string soundFont = platform::FindSoundFont();
    return !soundFont.empty() && IsSoundFontFile(soundFont) && platform::SynthesizerLibraryOpens();
}

bool IsMidiFileName(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.find('/', dot) != std::string_view::npos) {
        return false;
    }
    std::string extension(name.substr(dot + 1));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == "mid" || extension == "midi" || extension == "rmi";
}

std::string MidiStreamAddress(const std::string& absolutePath) {
    // Only bytes that could mean something to an address reader are
    // escaped; the path stays readable in mpv's messages.
    static const char kHex[] = "0123456789ABCDEF";
    std::string address = kAddressPrefix;
    for (const char c : absolutePath) {
        const auto byte = static_cast<unsigned char>(c);
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           (c >= '0' && c <= '9') ||
                           std::string_view("/-._~").find(c) != std::string_view::npos;
        if (plain) {
            address.push_back(c);
        } else {
            address.push_back('%');
            address.push_back(kHex[byte >> 4]);
            address.push_back(kHex[byte & 0xF]);
        }
    }
    return address;
}

void RegisterMidiProtocol(mpv_handle* core) {
    const int status = mpv_stream_cb_add_ro(core, kProtocol, nullptr, &OpenCallback);
    // A second registration on the same core is refused as a duplicate.
    if (status < 0 && status != MPV_ERROR_INVALID_PARAMETER) {
        throw Error(ErrorNumber::CannotPlayMedia, kSource,
                    std::string("MIDI files cannot play: ") + mpv_error_string(status));
    }
}

void PrepareMidiSynthesis() {
    if (MidiSynthesisAvailable()) {
        MidiSynthesizerPool::Instance().Prepare(platform::FindSoundFont());
    }
}

void ReleaseMidiSynthesis() {
    MidiSynthesizerPool::Instance().Release();
}

void CheckMidiFile(const std::string& path) {
    RequireSoundFont();
    ReadMidiFile(path);
}

std::unique_ptr<MidiStream> MidiStream::Open(const std::string& path) {
    const std::string soundFont = RequireSoundFont();
    MidiFile file = ReadMidiFile(path);
    return std::make_unique<SynthesizedStream>(std::move(file),
                                               MidiSynthesizerPool::Instance().Take(soundFont));
}

} // namespace vimbrel
