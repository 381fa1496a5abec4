// MIDI files: checking and cleaning them up, synthesizing them with the
// General MIDI sound font, and playing them through a bare mpv core (null
// audio and video output, which play in real time) as the show does.

#include "media/midi/MidiStream.h"

#include "TempDirectory.h"
#include "media/VideoSurface.h"
#include "media/midi/MidiFile.h"
#include "runtime/Error.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <mpv/client.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace vimbrel {
namespace {

using Clock = std::chrono::steady_clock;
using Bytes = std::string;

// ---- Writing MIDI files -------------------------------------------------

Bytes BigEndian(std::uint32_t value, int size) {
    Bytes out;
    for (int shift = (size - 1) * 8; shift >= 0; shift -= 8) {
        out.push_back(static_cast<char>(value >> shift & 0xFF));
    }
    return out;
}

Bytes VariableLength(std::uint32_t value) {
    Bytes out(1, static_cast<char>(value & 0x7F));
    while ((value >>= 7) != 0) {
        out.insert(out.begin(), static_cast<char>(0x80 | (value & 0x7F)));
    }
    return out;
}

// A track's events, each with the ticks since the one before.
struct TrackWriter {
    Bytes events;
    TrackWriter& Event(std::uint32_t delta, Bytes bytes) {
        events += VariableLength(delta) + bytes;
        return *this;
    }
    Bytes Chunk(bool endOfTrack = true) const {
        const Bytes body = endOfTrack ? events + Bytes("\x00\xFF\x2F\x00", 4) : events;
        return "MTrk" + BigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
    }
};

Bytes Status(int status, std::initializer_list<int> data) {
    Bytes out(1, static_cast<char>(status));
    for (const int byte : data) {
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

constexpr int kDivision = 480; // ticks per quarter note; 120 beats a minute

// count notes one after another on the channel, each lasting ticks.
TrackWriter Notes(int count, std::uint32_t ticks, int channel = 0, int program = 0) {
    TrackWriter track;
    track.Event(0, Status(0xC0 | channel, {program}));
    for (int index = 0; index < count; ++index) {
        track.Event(0, Status(0x90 | channel, {60 + index % 12, 100}));
        track.Event(ticks, Status(0x80 | channel, {60 + index % 12, 0}));
    }
    return track;
}

Bytes StandardFile(int format, const std::vector<Bytes>& chunks, int division = kDivision) {
    Bytes file = "MThd" + BigEndian(6, 4) + BigEndian(static_cast<std::uint32_t>(format), 2) +
                 BigEndian(static_cast<std::uint32_t>(chunks.size()), 2) +
                 BigEndian(static_cast<std::uint32_t>(division), 2);
    for (const Bytes& chunk : chunks) {
        file += chunk;
    }
    return file;
}

// A piece of the given length in seconds, as one type-0 track.
Bytes Piece(double seconds) {
    const int quarters = static_cast<int>(seconds * 2);
    return StandardFile(0, {Notes(quarters, kDivision).Chunk()});
}

Bytes LittleEndian32(std::uint32_t value) {
    Bytes out = BigEndian(value, 4);
    std::reverse(out.begin(), out.end());
    return out;
}

// An RMID file: an odd-sized information chunk first, then the data.
Bytes Rmid(const Bytes& standardFile) {
    const Bytes info = "INFO" + LittleEndian32(3) + Bytes("abc\0", 4);
    const Bytes data = "data" + LittleEndian32(static_cast<std::uint32_t>(standardFile.size())) +
                       standardFile + (standardFile.size() % 2 != 0 ? Bytes(1, '\0') : "");
    return "RIFF" + LittleEndian32(static_cast<std::uint32_t>(4 + info.size() + data.size())) +
           "RMID" + info + data;
}

MidiFile Parse(const Bytes& bytes) {
    return ParseMidiFile(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// ---- Checking files -----------------------------------------------------

TEST(MidiFileTest, TimesThePieceThroughItsTempoChangesInEveryTrack) {
    // Track 1 changes the tempo: two quarters at 120 beats a minute (1 s),
    // then two at 60 (2 s); track 2 holds its notes for the same 4 quarters.
    TrackWriter tempo;
    tempo.Event(2 * kDivision, Bytes("\xFF\x51\x03\x0F\x42\x40", 6));
    const MidiFile file =
        Parse(StandardFile(1, {tempo.Chunk(), Notes(4, kDivision, 3, 40).Chunk()}));
    EXPECT_EQ(file.format, 1);
    EXPECT_EQ(file.trackCount, 2);
    EXPECT_EQ(file.noteCount, 4);
    EXPECT_NEAR(file.durationSeconds, 3.0, 1e-9);
}

TEST(MidiFileTest, FindsTheStandardFileInsideAnRmidFile) {
    const Bytes plain = StandardFile(1, {Notes(3, 100).Chunk(), Notes(1, 50, 9).Chunk()});
    EXPECT_EQ(Parse(Rmid(plain)).standardFile, Parse(plain).standardFile);
}

TEST(MidiFileTest, CleansUpWhatTheStandardAllowsButTheSynthesizerRefuses) {
    // An eight-byte header, an unknown chunk, running status, an escape
    // (F7) and a tempo event of the wrong length.
    TrackWriter track;
    track.Event(0, Bytes("\xF7\x02\x01\x02", 4));
    track.Event(0, Bytes("\xFF\x51\x02\x07\xA1", 5));
    track.Event(0, Status(0x90, {60, 100})).Event(240, Status(60, {0}));
    const Bytes bytes = "MThd" + BigEndian(8, 4) + Bytes("\0\0\0\x01\x01\xE0\0\0", 8) + "XFIH" +
                        BigEndian(2, 4) + "ok" + track.Chunk();
    const MidiFile file = Parse(bytes);
    const Bytes cleanTrack = "MTrk" + BigEndian(13, 4) +
                             Bytes("\x00\x90\x3C\x64\x81\x70\x90\x3C\x00\x00\xFF\x2F\x00", 13);
    EXPECT_EQ(Bytes(file.standardFile.begin(), file.standardFile.end()),
              StandardFile(0, {cleanTrack}));
    EXPECT_EQ(file.noteCount, 1);
}

TEST(MidiFileTest, TakesALastTrackLongerThanTheFileWhenItsEndIsThere) {
    Bytes bytes = StandardFile(0, {Notes(2, 240).Chunk()});
    bytes[21] = static_cast<char>(bytes[21] + 100); // the track's length
    EXPECT_EQ(Parse(bytes).noteCount, 2);
}

TEST(MidiFileTest, RefusesDamagedAndForeignFiles) {
    const Bytes good = StandardFile(1, {Notes(2, 240).Chunk(), Notes(2, 240, 1).Chunk()});
    Bytes lengthOverrun = StandardFile(0, {Notes(2, 240).Chunk(false)});
    lengthOverrun[21] = static_cast<char>(lengthOverrun[21] + 10);
    const struct {
        const char* name;
        Bytes bytes;
    } cases[] = {
        {"no bytes", ""},
        {"text", "Just some words, nothing musical at all"},
        {"bad header tag", "MThX" + good.substr(4)},
        {"header only", good.substr(0, 14)},
        {"header cut short", good.substr(0, 10)},
        {"second track cut off", good.substr(0, good.size() - 12)},
        {"track longer than the file, no end", lengthOverrun},
        {"message cut by the end of its track",
         StandardFile(0, {TrackWriter().Event(0, Status(0x90, {60})).Chunk(false)})},
        {"data byte with no status",
         StandardFile(0, {TrackWriter().Event(0, Status(60, {100})).Chunk()})},
        {"running status after a meta event",
         StandardFile(0, {TrackWriter()
                              .Event(0, Status(0x90, {60, 100}))
                              .Event(0, Bytes("\xFF\x01\x01x", 4))
                              .Event(0, Status(60, {0}))
                              .Chunk()})},
        {"unknown event kind", StandardFile(0, {TrackWriter().Event(0, Status(0xF1, {})).Chunk()})},
        {"number over four bytes",
         StandardFile(0, {TrackWriter{Bytes("\x80\x80\x80\x80\x01\x90\x3C\x40", 8)}.Chunk()})},
        {"frames per second timing", StandardFile(0, {Notes(1, 25).Chunk()}, 0xE728)},
        {"no ticks per quarter", StandardFile(0, {Notes(1, 25).Chunk()}, 0)},
        {"no tracks", StandardFile(0, {})},
        {"unknown format", StandardFile(3, {Notes(1, 25).Chunk()})},
        {"WAVE file", "RIFF" + LittleEndian32(4) + "WAVE"},
        {"RMID without data",
         "RIFF" + LittleEndian32(16) + "RMIDINFO" + LittleEndian32(4) + "abcd"},
    };
    EXPECT_NO_THROW(Parse(good));
    for (const auto& [name, bytes] : cases) {
        try {
            Parse(bytes);
            ADD_FAILURE() << name << " was taken";
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), ErrorNumber::CannotPlayMedia) << name;
        }
    }
}

TEST(MidiFileTest, KnowsMidiFilesByName) {
    for (const char* name : {"a.mid", "b.MID", "c.Midi", "/x/d.rmi", "e.RMI", ".mid"}) {
        EXPECT_TRUE(IsMidiFileName(name)) << name;
    }
    for (const char* name : {"mid", "a.mid.mp3", "a.midx", "/x.mid/song", "a.wav", ""}) {
        EXPECT_FALSE(IsMidiFileName(name)) << name;
    }
}

// ---- The sound font -----------------------------------------------------

// Points VIMBREL_SOUNDFONT elsewhere for one test.
class SoundFontChoice {
public:
    explicit SoundFontChoice(const char* value) {
        if (const char* old = std::getenv("VIMBREL_SOUNDFONT")) {
            m_old = old;
        }
        ::setenv("VIMBREL_SOUNDFONT", value, 1);
    }
    ~SoundFontChoice() {
        if (m_old) {
            ::setenv("VIMBREL_SOUNDFONT", m_old->c_str(), 1);
        } else {
            ::unsetenv("VIMBREL_SOUNDFONT");
        }
    }

private:
    std::optional<std::string> m_old;
};

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

class MidiTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(MidiSynthesisAvailable())
            << "No General MIDI sound font; scripts/install-deps.sh installs one";
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        test::WriteBytes(folder / name, bytes);
        return (folder / name).string();
    }
    test::TempDirectory folder;
};

TEST_F(MidiTest, WithoutASoundFontTheMachineIsBlamedNotTheFile) {
    const std::string good = Write("good.mid", Piece(1));
    const std::string broken = Write("broken.mid", "not MIDI");
    for (const char* choice : {"/nonexistent/GM.sf2", "", good.c_str()}) {
        SoundFontChoice noSoundFont(choice);
        EXPECT_FALSE(MidiSynthesisAvailable()) << choice;
        EXPECT_EQ(ErrorNumberOf([&] { MidiStream::Open(good); }), ErrorNumber::OutputUnavailable);
        EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(broken); }), ErrorNumber::OutputUnavailable);
    }
    EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(good); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(broken); }), ErrorNumber::CannotPlayMedia);
    EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile((folder / "gone.mid").string()); }),
              ErrorNumber::FileNotFound);
}

// ---- Synthesizing -------------------------------------------------------

std::vector<std::int16_t> ReadSamples(MidiStream& stream, std::size_t bytes) {
    std::vector<std::int16_t> samples(bytes / 2);
    const std::size_t got =
        stream.Read({reinterpret_cast<char*>(samples.data()), samples.size() * 2});
    samples.resize(got / 2);
    return samples;
}

int Peak(const std::vector<std::int16_t>& samples, std::size_t from = 0) {
    int peak = 0;
    for (std::size_t index = from; index < samples.size(); ++index) {
        peak = std::max(peak, std::abs(static_cast<int>(samples[index])));
    }
    return peak;
}

constexpr std::size_t kSecond = MidiStream::kSampleRate * MidiStream::kBytesPerFrame;

TEST_F(MidiTest, RendersTheWholePieceAudiblyThenEnds) {
    auto stream = MidiStream::Open(Write("piece.mid", Piece(2)));
    ASSERT_EQ(ReadSamples(*stream, MidiStream::kHeaderBytes).size(), 22u);
    const auto audio = ReadSamples(*stream, 20 * kSecond);
    const double seconds = static_cast<double>(audio.size()) * 2 / kSecond;
    EXPECT_GE(seconds, 2.0);
    EXPECT_LE(seconds, 2.0 + kMidiReleaseSeconds + 0.1);
    EXPECT_GT(Peak(audio), 3000) << "silence";
    EXPECT_LT(Peak(audio), 32767) << "clipped";
    EXPECT_TRUE(ReadSamples(*stream, 4096).empty());
}

TEST_F(MidiTest, NotesLeftHangingAreReleasedAtTheEnd) {
    // Strings held by the sustain pedal, never let go; the piece ends after
    // a quarter note (0.5 s).
    TrackWriter track;
    track.Event(0, Status(0xC0, {48})).Event(0, Status(0x90, {60, 100}));
    track.Event(0, Status(0xB0, {64, 127})).Event(kDivision, Status(0x91, {64, 0}));
    auto stream = MidiStream::Open(Write("hanging.mid", StandardFile(0, {track.Chunk()})));
    const auto audio = ReadSamples(*stream, 20 * kSecond);
    const double seconds = static_cast<double>(audio.size()) * 2 / kSecond;
    // The strings' release takes about 1.5 s; a held note would sound until
    // the release time ran out.
    EXPECT_GT(seconds, 0.5);
    EXPECT_LT(seconds, 0.5 + kMidiReleaseSeconds - 0.5);
}

TEST_F(MidiTest, SeeksBackByStartingOverAndForwardByRendering) {
    const std::string path = Write("piece.mid", Piece(3));
    auto reference = MidiStream::Open(path);
    const auto whole = ReadSamples(*reference, 2 * kSecond);

    auto stream = MidiStream::Open(path);
    const std::uint64_t at = MidiStream::kHeaderBytes + kSecond;
    ASSERT_TRUE(stream->Seek(at));
    EXPECT_EQ(stream->Position(), at);
    auto after = ReadSamples(*stream, 1000);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), whole.begin() + (at / 2)));

    ASSERT_TRUE(stream->Seek(0));
    const auto again = ReadSamples(*stream, 2 * kSecond);
    ASSERT_EQ(again.size(), whole.size());
    // The music is the same again: a fresh synthesizer starts its first
    // note a few milliseconds late, and its chorus and dither run on, so
    // the comparison starts half a second in and allows for noise.
    int largest = 0;
    for (std::size_t index = kSecond / 4; index < whole.size(); ++index) {
        largest = std::max(largest, std::abs(whole[index] - again[index]));
    }
    EXPECT_LE(largest, 64);
    EXPECT_GT(Peak(again, kSecond / 4), 1000);

    const std::uint64_t before = stream->Position();
    EXPECT_FALSE(stream->Seek(MidiStream::kHeaderBytes + 60 * kSecond));
    EXPECT_EQ(stream->Position(), before);
}

TEST_F(MidiTest, CleanedUpFilesSoundLikeTheirPlainForm) {
    // Running status and an escape; the synthesizer would play nothing of
    // the raw file.
    TrackWriter track;
    track.Event(0, Bytes("\xF7\x01\x00", 3)).Event(0, Status(0x90, {60, 100}));
    track.Event(kDivision, Status(62, {100}))
        .Event(kDivision, Status(60, {0}))
        .Event(0, Status(62, {0}));
    auto stream = MidiStream::Open(Write("odd.mid", StandardFile(0, {track.Chunk()})));
    EXPECT_GT(Peak(ReadSamples(*stream, kSecond)), 3000);
}

TEST_F(MidiTest, StreamsOnSeveralThreadsAtOnceSoundAsAlone) {
    const std::string path = Write("piece.mid", Piece(2));
    const auto render = [&] { return ReadSamples(*MidiStream::Open(path), 3 * kSecond); };
    const auto alone = render();
    auto first = std::async(std::launch::async, render);
    auto second = std::async(std::launch::async, render);
    EXPECT_EQ(first.get(), alone);
    EXPECT_EQ(second.get(), alone);
}

// ---- Playing through mpv ------------------------------------------------

// A bare mpv core that plays MIDI addresses, as the show's player does.
class Core {
public:
    Core() : m_core(mpv_create()) {
        for (const auto& [name, value] :
             {std::pair{"ao", "null"}, {"vo", "null"}, {"terminal", "no"}, {"idle", "yes"}}) {
            mpv_set_option_string(m_core, name, value);
        }
        mpv_initialize(m_core);
        RegisterMidiProtocol(m_core);
        RegisterMidiProtocol(m_core); // a second time does no harm
    }
    ~Core() { mpv_terminate_destroy(m_core); }
    Core(const Core&) = delete;
    Core& operator=(const Core&) = delete;

    struct Outcome {
        bool loaded = false;
        double started = -1; // seconds from the load to the sound starting
        int reason = -1;
        int error = 0;
        double seconds = 0; // from the load to the end
    };

    void Load(const std::string& path) {
        const std::string address = MidiStreamAddress(path);
        const char* command[] = {"loadfile", address.c_str(), nullptr};
        m_start = Clock::now();
        mpv_command(m_core, command);
    }

    // Waits for the end of the entry, or the time limit, or onEvent to
    // return true, and says what came.
    Outcome Finish(double limitSeconds = 20,
                   const std::function<bool(mpv_handle*, mpv_event_id)>& onEvent = {}) {
        Outcome outcome;
        const auto deadline = Clock::now() + std::chrono::duration<double>(limitSeconds);
        while (Clock::now() < deadline) {
            const mpv_event* event = mpv_wait_event(m_core, 0.2);
            const double seconds = std::chrono::duration<double>(Clock::now() - m_start).count();
            if (event->event_id == MPV_EVENT_FILE_LOADED) {
                outcome.loaded = true;
            } else if (event->event_id == MPV_EVENT_PLAYBACK_RESTART && outcome.started < 0) {
                outcome.started = seconds;
            } else if (event->event_id == MPV_EVENT_END_FILE) {
                const auto* end = static_cast<const mpv_event_end_file*>(event->data);
                outcome.reason = end->reason;
                outcome.error = end->error;
                outcome.seconds = seconds;
                break;
            }
            if (onEvent && onEvent(m_core, event->event_id)) {
                break;
            }
        }
        return outcome;
    }

private:
    mpv_handle* m_core;
    Clock::time_point m_start;
};

TEST_F(MidiTest, PlaysToItsEndInAboutItsLength) {
    Core core;
    for (const auto& [name, bytes] :
         {std::pair{"Evening #1 (50% Ré).mid", Piece(2)}, {"wrapped.rmi", Rmid(Piece(2))}}) {
        core.Load(Write(name, bytes));
        const Core::Outcome outcome = core.Finish();
        EXPECT_TRUE(outcome.loaded) << name;
        EXPECT_EQ(outcome.reason, MPV_END_FILE_REASON_EOF) << name;
        EXPECT_GE(outcome.seconds, 2.0) << name;
        EXPECT_LE(outcome.seconds, 2.0 + kMidiReleaseSeconds + 1.0) << name;
    }
}

TEST_F(MidiTest, DamagedFilesFailToOpen) {
    Core core;
    Bytes truncated = StandardFile(0, {Notes(4, 240).Chunk()});
    truncated.resize(truncated.size() - 6);
    const std::pair<const char*, Bytes> files[] = {
        {"header.mid", "MThd" + BigEndian(6, 4) + "\xFF\xFF"},
        {"truncated.mid", truncated},
        {"empty.mid", ""},
        {"nodata.rmi", "RIFF" + LittleEndian32(4) + "RMID"},
    };
    for (const auto& [name, bytes] : files) {
        core.Load(Write(name, bytes));
        const Core::Outcome outcome = core.Finish();
        EXPECT_FALSE(outcome.loaded) << name;
        EXPECT_EQ(outcome.reason, MPV_END_FILE_REASON_ERROR) << name;
        EXPECT_EQ(outcome.error, MPV_ERROR_LOADING_FAILED) << name;
    }
    // A pipe under a tune's name (a play list can name one) is refused at
    // once: opening it must not wait for a writer that never comes.
    const std::string pipe = Write("pipe.mid", "") + ".mid";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    core.Load(pipe);
    EXPECT_EQ(core.Finish().error, MPV_ERROR_LOADING_FAILED);
    SoundFontChoice noSoundFont("/nonexistent/GM.sf2");
    core.Load(Write("good.mid", Piece(1)));
    EXPECT_EQ(core.Finish().error, MPV_ERROR_LOADING_FAILED);
}

TEST_F(MidiTest, TwoPlayersPlayTwoPiecesAtOnce) {
    const std::string first = Write("first.mid", Piece(2));
    const std::string second = Write("second.rmi", Rmid(Piece(3)));
    const auto play = [](const std::string& path) {
        Core core;
        core.Load(path);
        return core.Finish();
    };
    auto one = std::async(std::launch::async, play, first);
    auto other = std::async(std::launch::async, play, second);
    for (const auto& [outcome, length] : {std::pair{one.get(), 2.0}, {other.get(), 3.0}}) {
        EXPECT_EQ(outcome.reason, MPV_END_FILE_REASON_EOF);
        EXPECT_GE(outcome.seconds, length);
        EXPECT_LE(outcome.seconds, length + kMidiReleaseSeconds + 1.0);
    }
}

TEST_F(MidiTest, SeekingToTheStartPlaysThePieceAgain) {
    Core core;
    core.Load(Write("piece.mid", Piece(2)));
    double positionAfterSeek = -1;
    const Core::Outcome outcome = core.Finish(20, [&](mpv_handle* handle, mpv_event_id event) {
        if (event == MPV_EVENT_FILE_LOADED) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1200));
            const char* seek[] = {"seek", "0", "absolute", nullptr};
            EXPECT_GE(mpv_command(handle, seek), 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            mpv_get_property(handle, "time-pos", MPV_FORMAT_DOUBLE, &positionAfterSeek);
        }
        return false;
    });
    EXPECT_EQ(outcome.reason, MPV_END_FILE_REASON_EOF);
    EXPECT_GE(positionAfterSeek, 0.0);
    EXPECT_LT(positionAfterSeek, 0.6);
    EXPECT_GE(outcome.seconds, 3.0);
}

TEST_F(MidiTest, ATenMinutePieceStartsAtOnce) {
    Core core;
    core.Load(Write("long.mid", StandardFile(0, {Notes(1200, kDivision).Chunk()})));
    const Core::Outcome outcome = core.Finish(
        10, [](mpv_handle*, mpv_event_id event) { return event == MPV_EVENT_PLAYBACK_RESTART; });
    EXPECT_TRUE(outcome.loaded);
    EXPECT_GE(outcome.started, 0.0);
    // Some 0.1 s on an idle machine (bench/MidiStartBench.cpp), with room
    // for a busy one; rendering the piece ahead would take seconds.
    EXPECT_LT(outcome.started, 1.0);
}

} // namespace
} // namespace vimbrel
