// MIDI files: checking and cleaning them up, and synthesizing them with the
// General MIDI sound font. The player plays them through mpv in
// MediaPlayerTest.cpp.

#include "media/midi/MidiStream.h"

#include "TempDirectory.h"
#include "media/midi/MidiFile.h"
#include "runtime/Error.h"

#include <algorithm>
#include <functional>
#include <future>
#include <gtest/gtest.h>
#include <ranges>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using Bytes = std::string;

// A number of size bytes, the most significant first unless little.
Bytes Number(std::size_t value, int size, bool little = false) {
    Bytes out;
    for (int index = 0; index < size; ++index) {
        out.push_back(static_cast<char>(value >> (8 * (little ? index : size - 1 - index)) & 0xFF));
    }
    return out;
}

// An event: the ticks since the one before, as a variable-length number,
// then its bytes.
Bytes Event(std::uint32_t delta, std::initializer_list<int> bytes) {
    Bytes out(1, static_cast<char>(delta & 0x7F));
    while ((delta >>= 7) != 0) {
        out.insert(out.begin(), static_cast<char>(0x80 | (delta & 0x7F)));
    }
    for (const int byte : bytes) {
        out.push_back(static_cast<char>(byte));
    }
    return out;
}

Bytes Track(const Bytes& events, bool ended = true) {
    const Bytes body = ended ? events + Event(0, {0xFF, 0x2F, 0}) : events;
    return "MTrk" + Number(body.size(), 4) + body;
}

constexpr int kDivision = 480; // ticks a quarter note; 120 beats a minute

// count notes one after another on the channel, each lasting ticks.
Bytes Notes(int count, std::uint32_t ticks, int channel = 0) {
    Bytes events = Event(0, {0xC0 | channel, 0});
    for (int index = 0; index < count; ++index) {
        events += Event(0, {0x90 | channel, 60 + index % 12, 100}) +
                  Event(ticks, {0x80 | channel, 60 + index % 12, 0});
    }
    return events;
}

Bytes Smf(int format, const std::vector<Bytes>& tracks, int division = kDivision) {
    Bytes file =
        "MThd" + Number(6, 4) + Number(format, 2) + Number(tracks.size(), 2) + Number(division, 2);
    for (const Bytes& track : tracks) {
        file += track;
    }
    return file;
}

// A piece of quarter notes lasting the seconds given, as one type-0 track.
Bytes Piece(int seconds) {
    return Smf(0, {Track(Notes(seconds * 2, kDivision))});
}

// An RMID file: an odd-sized information chunk first, then the data.
Bytes Rmid(const Bytes& smf) {
    const Bytes data = "INFO" + Number(3, 4, true) + Bytes("abc\0", 4) + "data" +
                       Number(smf.size(), 4, true) + smf + Bytes(smf.size() % 2, '\0');
    return "RIFF" + Number(4 + data.size(), 4, true) + "RMID" + data;
}

MidiFile Parse(const Bytes& bytes) {
    return ParseMidiFile(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

int ErrorNumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST(MidiFile, TimesThePieceAndCleansUpWhatTheSynthesizerRefuses) {
    // Track 1 changes the tempo after two quarters at 120 beats a minute
    // (1 s) to 60 (2 s more); track 2 holds its notes for 4 quarters.
    const MidiFile timed = Parse(Smf(1, {Track(Event(2 * kDivision, {0xFF, 0x51, 3, 15, 66, 64})),
                                         Track(Notes(4, kDivision, 3))}));
    EXPECT_EQ(timed.format, 1);
    EXPECT_EQ(timed.trackCount, 2);
    EXPECT_EQ(timed.noteCount, 4);
    EXPECT_NEAR(timed.durationSeconds, 3.0, 1e-9);

    const Bytes plain = Smf(1, {Track(Notes(3, 100)), Track(Notes(1, 50, 9))});
    EXPECT_EQ(Parse(Rmid(plain)).standardFile, Parse(plain).standardFile);

    // An eight-byte header, an unknown chunk, an escape (F7), a tempo of the
    // wrong length and running status.
    const MidiFile clean = Parse(
        "MThd" + Number(8, 4) + Bytes("\0\0\0\x01\x01\xE0\0\0", 8) + "XFIH" + Number(2, 4) + "ok" +
        Track(Event(60, {0xF7, 2, 1, 2}) + Event(40, {0xFF, 0x51, 2, 7, 0xA1}) +
              Event(0, {0x90, 60, 100}) + Event(240, {60, 0})));
    EXPECT_EQ(Bytes(clean.standardFile.begin(), clean.standardFile.end()),
              Smf(0, {Track(Event(100, {0x90, 60, 100}) + Event(240, {0x90, 60, 0}))}));
    EXPECT_EQ(clean.noteCount, 1);

    // A last track longer than the file is whole when its end is there.
    Bytes overrun = Piece(1);
    overrun[21] = static_cast<char>(overrun[21] + 100);
    EXPECT_EQ(Parse(overrun).noteCount, 2);

    for (const char* name : {"a.mid", "b.MID", "c.Midi", "/x/d.rmi", "e.RMI", ".mid"}) {
        EXPECT_TRUE(IsMidiFileName(name)) << name;
    }
    for (const char* name : {"mid", "a.mid.mp3", "a.midx", "/x.mid/song", "a.wav", ""}) {
        EXPECT_FALSE(IsMidiFileName(name)) << name;
    }
}

TEST(MidiFile, RefusesDamagedAndForeignFiles) {
    const Bytes good = Smf(1, {Track(Notes(2, 240)), Track(Notes(2, 240, 1))});
    Bytes overrun = Smf(0, {Track(Notes(2, 240), false)});
    overrun[21] = static_cast<char>(overrun[21] + 10);
    const std::pair<const char*, Bytes> cases[] = {
        {"no bytes", ""},
        {"text", "Just some words, nothing musical at all"},
        {"bad header tag", "MThX" + good.substr(4)},
        {"header only", good.substr(0, 14)},
        {"header cut short", good.substr(0, 10)},
        {"second track cut off", good.substr(0, good.size() - 12)},
        {"track longer than the file, no end", overrun},
        {"message cut by the end of its track", Smf(0, {Track(Event(0, {0x90, 60}), false)})},
        {"data byte with no status", Smf(0, {Track(Event(0, {60, 100}))})},
        {"status byte for data", Smf(0, {Track(Event(0, {0x90, 60, 0x90}))})},
        {"running status after a meta event",
         Smf(0,
             {Track(Event(0, {0x90, 60, 100}) + Event(0, {0xFF, 1, 1, 'x'}) + Event(0, {60, 0}))})},
        {"unknown event kind", Smf(0, {Track(Event(0, {0xF1}))})},
        {"number over four bytes", Smf(0, {Track(Bytes("\x80\x80\x80\x80\x01\x90\x3C\x40", 8))})},
        {"frames per second timing", Smf(0, {Track(Notes(1, 25))}, 0xE728)},
        {"no ticks per quarter", Smf(0, {Track(Notes(1, 25))}, 0)},
        {"no tracks", Smf(0, {})},
        {"unknown format", Smf(3, {Track(Notes(1, 25))})},
        {"WAVE file", "RIFF" + Number(4, 4, true) + "WAVE"},
        {"RMID without data",
         "RIFF" + Number(16, 4, true) + "RMIDINFO" + Number(4, 4, true) + "abcd"},
    };
    EXPECT_NO_THROW(Parse(good));
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(ErrorNumberOf([&] { Parse(bytes); }), ErrorNumber::CannotPlayMedia) << name;
    }
}

std::vector<std::int16_t> ReadSamples(MidiStream& stream, std::size_t bytes) {
    std::vector<std::int16_t> samples(bytes / 2);
    samples.resize(stream.Read({reinterpret_cast<char*>(samples.data()), bytes}) / 2);
    return samples;
}

int Peak(const std::vector<std::int16_t>& samples, std::size_t from) {
    return std::ranges::max(samples | std::views::drop(from) |
                            std::views::transform([](int sample) { return std::abs(sample); }));
}

constexpr std::size_t kSecond = MidiStream::kSampleRate * MidiStream::kBytesPerFrame;
constexpr std::size_t kHeaderSamples = MidiStream::kHeaderBytes / 2;

class MidiStreamTest : public ::testing::Test {
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

TEST_F(MidiStreamTest, WithoutASoundFontTheMachineIsBlamedNotTheFile) {
    const std::string good = Write("good.mid", Piece(1));
    const std::string broken = Write("broken.mid", "not MIDI");
    const std::string pipe = (folder / "pipe.mid").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(good); }), 0);
    EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(broken); }), ErrorNumber::CannotPlayMedia);
    EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(folder / "gone.mid"); }),
              ErrorNumber::FileNotFound);
    // A pipe under a tune's name (a play list can name one) is refused at
    // once, not waited on.
    EXPECT_EQ(ErrorNumberOf([&] { MidiStream::Open(pipe); }), ErrorNumber::PathFileAccessError);

    const char* kept = std::getenv("VIMBREL_SOUNDFONT");
    const std::string previous = kept != nullptr ? kept : "";
    for (const char* choice : {"/nonexistent/GM.sf2", "", good.c_str()}) {
        ::setenv("VIMBREL_SOUNDFONT", choice, 1);
        EXPECT_FALSE(MidiSynthesisAvailable()) << choice;
        EXPECT_EQ(ErrorNumberOf([&] { MidiStream::Open(good); }), ErrorNumber::OutputUnavailable);
        EXPECT_EQ(ErrorNumberOf([&] { CheckMidiFile(broken); }), ErrorNumber::OutputUnavailable);
    }
    kept != nullptr ? ::setenv("VIMBREL_SOUNDFONT", previous.c_str(), 1)
                    : ::unsetenv("VIMBREL_SOUNDFONT");
}

TEST_F(MidiStreamTest, RendersEachPieceAudiblyUntilItsLastNotesHaveDiedAway) {
    // Strings held by the sustain pedal and never let go, in a piece that
    // ends after a quarter note: released at the end, they die away in about
    // 1.5 s, well before the release time runs out.
    const Bytes hanging =
        Smf(0, {Track(Event(0, {0xC0, 48}) + Event(0, {0x90, 60, 100}) + Event(0, {0xB0, 64, 127}) +
                      Event(kDivision, {0x91, 64, 0}))});
    const std::tuple<const char*, Bytes, double, double> pieces[] = {
        {"piece.mid", Piece(2), 2.0, 2.0 + kMidiReleaseSeconds + 0.1},
        {"hanging.mid", hanging, 0.5, kMidiReleaseSeconds},
    };
    for (const auto& [name, bytes, shortest, longest] : pieces) {
        SCOPED_TRACE(name);
        auto stream = MidiStream::Open(Write(name, bytes));
        const auto samples = ReadSamples(*stream, 20 * kSecond);
        const double seconds = static_cast<double>(samples.size() - kHeaderSamples) * 2 / kSecond;
        EXPECT_GE(seconds, shortest);
        EXPECT_LE(seconds, longest);
        EXPECT_GT(Peak(samples, kHeaderSamples), 3000) << "silence";
        EXPECT_LT(Peak(samples, kHeaderSamples), 32767) << "clipped";
        EXPECT_TRUE(ReadSamples(*stream, 4096).empty());
    }
}

TEST_F(MidiStreamTest, SeeksForwardByRenderingAndBackByStartingOverOnAnyThread) {
    const std::string path = Write("piece.mid", Piece(3));
    const auto render = [&] { return ReadSamples(*MidiStream::Open(path), 20 * kSecond); };
    const auto whole = render();
    // Streams on other threads at the same time sound the same.
    auto first = std::async(std::launch::async, render);
    auto second = std::async(std::launch::async, render);
    EXPECT_EQ(first.get(), whole);
    EXPECT_EQ(second.get(), whole);

    auto stream = MidiStream::Open(path);
    const std::uint64_t at = MidiStream::kHeaderBytes + kSecond;
    ASSERT_TRUE(stream->Seek(at));
    EXPECT_EQ(stream->Position(), at);
    const auto after = ReadSamples(*stream, 1000);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), whole.begin() + (at / 2)));

    // The music is the same again: a fresh synthesizer starts its first note
    // a few milliseconds late, and its chorus and dither run on, so the
    // comparison starts half a second in and allows for noise.
    ASSERT_TRUE(stream->Seek(0));
    const auto again = ReadSamples(*stream, 2 * kSecond);
    int largest = 0;
    for (std::size_t index = kSecond / 4; index < again.size(); ++index) {
        largest = std::max(largest, std::abs(whole[index] - again[index]));
    }
    EXPECT_LE(largest, 64);
    EXPECT_GT(Peak(again, kSecond / 4), 1000);

    // Nowhere the piece could last to: refused without moving.
    EXPECT_FALSE(stream->Seek(MidiStream::kHeaderBytes + 60 * kSecond));
    EXPECT_EQ(stream->Position(), 2 * kSecond);
}

} // namespace
} // namespace vimbrel
