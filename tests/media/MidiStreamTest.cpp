// MIDI files: checking and cleaning them up, and synthesizing them with the
// General MIDI sound font. The player plays them through mpv in
// MediaPlayerTest.cpp.

#include "media/midi/MidiStream.h"

#include "TempDirectory.h"
#include "media/midi/MidiFile.h"
#include "runtime/Error.h"

#include <future>
#include <gtest/gtest.h>
#include <numeric>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using Bytes = std::string;
constexpr int kDivision = 480; // ticks a quarter note; 120 beats a minute
constexpr std::size_t kSecond = MidiStream::kSampleRate * MidiStream::kBytesPerFrame;
constexpr std::size_t kHeaderSamples = MidiStream::kHeaderBytes / 2;

class MidiStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(MidiSynthesisAvailable()) << "no General MIDI sound font"; }
    // A number of size bytes, the most significant first unless little.
    static Bytes Number(std::size_t value, int size, bool little = false) {
        const Bytes rest = size == 1 ? "" : Number(value >> 8, size - 1, little);
        return little ? static_cast<char>(value) + rest : rest + static_cast<char>(value);
    }
    // An event: the ticks since the one before, as a variable-length number, then its bytes.
    static Bytes Event(std::uint32_t delta, std::initializer_list<int> bytes) {
        Bytes out(1, static_cast<char>(delta & 0x7F));
        while ((delta >>= 7) != 0) {
            out.insert(out.begin(), static_cast<char>(0x80 | (delta & 0x7F)));
        }
        return out + Bytes(bytes.begin(), bytes.end());
    }
    static Bytes Track(const Bytes& events, bool ended = true) {
        const Bytes body = ended ? events + Event(0, {0xFF, 0x2F, 0}) : events;
        return "MTrk" + Number(body.size(), 4) + body;
    }
    // count notes one after another on the channel, each lasting ticks.
    static Bytes Notes(int count, std::uint32_t ticks, int channel = 0) {
        return count == 0 ? ""
                          : Notes(count - 1, ticks, channel) +
                                Event(0, {0x90 | channel, 60 + count, 100}) +
                                Event(ticks, {0x80 | channel, 60 + count, 0});
    }
    static Bytes Smf(int format, const std::vector<Bytes>& tracks, int division = kDivision) {
        return std::accumulate(tracks.begin(), tracks.end(),
                               "MThd" + Number(6, 4) + Number(format, 2) +
                                   Number(tracks.size(), 2) + Number(division, 2));
    }
    // A piece of quarter notes lasting the seconds given, as one type-0 track.
    static Bytes Piece(int seconds) { return Smf(0, {Track(Notes(seconds * 2, kDivision))}); }
    static MidiFile Parse(const Bytes& bytes) {
        return ParseMidiFile({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    }
    static int ErrorNumberOf(const auto& action) {
        try {
            action();
        } catch (const Error& error) {
            return error.number();
        }
        return 0;
    }
    static std::vector<std::int16_t> Read(MidiStream& stream, std::size_t bytes) {
        std::vector<std::int16_t> samples(bytes / 2);
        samples.resize(stream.Read({reinterpret_cast<char*>(samples.data()), bytes}) / 2);
        return samples;
    }
    std::string Write(const std::string& name, const Bytes& bytes) {
        test::WriteBytes(folder / name, bytes);
        return (folder / name).string();
    }
    test::TempDirectory folder;
};

TEST_F(MidiStreamTest, TimesThePieceAndCleansUpWhatTheSynthesizerRefuses) {
    // Track 1 changes the tempo after two quarters at 120 beats a minute
    // (1 s) to 60 (2 s more); track 2 holds its notes for 4 quarters.
    const MidiFile timed = Parse(Smf(1, {Track(Event(2 * kDivision, {0xFF, 0x51, 3, 15, 66, 64})),
                                         Track(Notes(4, kDivision, 3))}));
    EXPECT_EQ(std::tuple(timed.format, timed.trackCount, timed.noteCount, timed.durationSeconds),
              std::tuple(1, 2, 4, 3.0));

    // An RMID file: an odd-sized information chunk first, then the data.
    const Bytes plain = Smf(1, {Track(Notes(3, 100)), Track(Notes(1, 50, 9))});
    const Bytes data = "INFO" + Number(3, 4, true) + Bytes("abc\0", 4) + "data" +
                       Number(plain.size(), 4, true) + plain + Bytes(plain.size() % 2, '\0');
    EXPECT_EQ(Parse("RIFF" + Number(4 + data.size(), 4, true) + "RMID" + data).standardFile,
              Parse(plain).standardFile);

    // An eight-byte header, an unknown chunk, an escape (F7), a tempo of the
    // wrong length and running status.
    const MidiFile clean = Parse(
        "MThd" + Number(8, 4) + Bytes("\0\0\0\x01\x01\xE0\0\0", 8) + "XFIH" + Number(2, 4) + "ok" +
        Track(Event(60, {0xF7, 2, 1, 2}) + Event(40, {0xFF, 0x51, 2, 7, 0xA1}) +
              Event(0, {0x90, 60, 100}) + Event(240, {60, 0})));
    EXPECT_EQ(
        std::pair(Bytes(clean.standardFile.begin(), clean.standardFile.end()), clean.noteCount),
        std::pair(Smf(0, {Track(Event(100, {0x90, 60, 100}) + Event(240, {0x90, 60, 0}))}), 1));

    // A last track longer than the file is whole when its end is there.
    Bytes overrun = Piece(1);
    overrun[21] = static_cast<char>(overrun[21] + 100);
    EXPECT_EQ(Parse(overrun).noteCount, 2);

    EXPECT_TRUE(IsMidiFileName("b.MID") && IsMidiFileName("/x/c.Midi") && IsMidiFileName("d.rmi"));
    EXPECT_FALSE(IsMidiFileName("a.mid.mp3") || IsMidiFileName("/x.mid/song"));

    // Damaged and foreign files are refused.
    const std::pair<const char*, Bytes> cases[] = {
        {"no bytes", ""},
        {"bad header tag", "MThX" + plain.substr(4)},
        {"header only", plain.substr(0, 14)},
        {"header cut short", plain.substr(0, 10)},
        {"second track cut off", plain.substr(0, plain.size() - 12)},
        {"track longer than the file, no end", overrun.substr(0, overrun.size() - 4)},
        {"message cut by its track's end", Smf(0, {Track(Event(0, {0x90, 60}), false)})},
        {"data byte with no status", Smf(0, {Track(Event(0, {60, 100}))})},
        {"status byte for data", Smf(0, {Track(Event(0, {0x90, 60, 0x90}))})},
        {"status past meta", Smf(0, {Track(Event(0, {0x90, 60, 1, 0, 0xFF, 1, 0, 0, 60, 0}))})},
        {"unknown event kind", Smf(0, {Track(Event(0, {0xF1}))})},
        {"number over four bytes", Smf(0, {Track(Bytes("\x80\x80\x80\x80\x01\x90\x3C\x40", 8))})},
        {"frames per second timing", Smf(0, {Track(Notes(1, 25))}, 0xE728)},
        {"no ticks per quarter", Smf(0, {Track(Notes(1, 25))}, 0)},
        {"no tracks", Smf(0, {})},
        {"unknown format", Smf(3, {Track(Notes(1, 25))})},
    };
    for (const auto& [name, bytes] : cases) {
        EXPECT_EQ(ErrorNumberOf([&] { Parse(bytes); }), ErrorNumber::CannotPlayMedia) << name;
    }
}

TEST_F(MidiStreamTest, WithoutASoundFontTheMachineIsBlamedNotTheFile) {
    const std::string good = Write("good.mid", Piece(1));
    const std::string broken = Write("broken.mid", "not MIDI");
    ASSERT_EQ(::mkfifo((folder / "pipe.mid").c_str(), 0600), 0);
    // A pipe under a tune's name (a play list can name one) is refused at
    // once, not waited on.
    EXPECT_EQ(std::tuple(ErrorNumberOf([&] { CheckMidiFile(good); }),
                         ErrorNumberOf([&] { CheckMidiFile(broken); }),
                         ErrorNumberOf([&] { CheckMidiFile(folder / "gone.mid"); }),
                         ErrorNumberOf([&] { MidiStream::Open(folder / "pipe.mid"); })),
              std::tuple(0, ErrorNumber::CannotPlayMedia, ErrorNumber::FileNotFound,
                         ErrorNumber::PathFileAccessError));
    const char* kept = std::getenv("VIMBREL_SOUNDFONT");
    const std::string previous = kept != nullptr ? kept : "";
    for (const char* choice : {"/nonexistent/GM.sf2", "", good.c_str()}) {
        ::setenv("VIMBREL_SOUNDFONT", choice, 1);
        EXPECT_EQ(std::tuple(MidiSynthesisAvailable(),
                             ErrorNumberOf([&] { MidiStream::Open(good); }),
                             ErrorNumberOf([&] { CheckMidiFile(broken); })),
                  std::tuple(false, ErrorNumber::OutputUnavailable, ErrorNumber::OutputUnavailable))
            << choice;
    }
    previous.empty() ? ::unsetenv("VIMBREL_SOUNDFONT")
                     : ::setenv("VIMBREL_SOUNDFONT", previous.c_str(), 1);
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
        const auto samples = Read(*stream, 20 * kSecond);
        const double seconds = static_cast<double>(samples.size() - kHeaderSamples) * 2 / kSecond;
        const auto [low, high] =
            std::minmax_element(samples.begin() + kHeaderSamples, samples.end());
        const int peak = std::max(-*low, +*high);
        // Long enough, not too long, neither silent nor clipped, nothing after its end.
        EXPECT_EQ(std::tuple(seconds >= shortest, seconds <= longest, peak > 3000, peak < 32767,
                             Read(*stream, 4096).size()),
                  std::tuple(true, true, true, true, 0u))
            << seconds << " s, peak " << peak;
    }
}

TEST_F(MidiStreamTest, SeeksForwardByRenderingAndBackByStartingOverOnAnyThread) {
    const std::string path = Write("piece.mid", Piece(3));
    const auto render = [&] { return Read(*MidiStream::Open(path), 20 * kSecond); };
    const auto whole = render();
    // Streams on other threads at the same time sound the same.
    auto first = std::async(std::launch::async, render);
    auto second = std::async(std::launch::async, render);
    EXPECT_TRUE(first.get() == whole && second.get() == whole);

    auto stream = MidiStream::Open(path);
    const std::uint64_t at = MidiStream::kHeaderBytes + kSecond;
    ASSERT_TRUE(stream->Seek(at) && stream->Position() == at);
    const auto after = Read(*stream, 1000);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), whole.begin() + (at / 2)));

    // The music is the same again: a fresh synthesizer starts its first note
    // a few milliseconds late, and its chorus and dither run on, so the
    // comparison starts a quarter of a second in and allows for noise.
    ASSERT_TRUE(stream->Seek(0));
    const auto again = Read(*stream, 2 * kSecond);
    EXPECT_TRUE(std::equal(again.begin() + kSecond / 4, again.end(), whole.begin() + kSecond / 4,
                           [](int one, int other) { return std::abs(one - other) <= 64; }));

    // Nowhere the piece could last to: refused without moving.
    EXPECT_FALSE(stream->Seek(MidiStream::kHeaderBytes + 60 * kSecond));
    EXPECT_EQ(stream->Position(), 2 * kSecond);
}

} // namespace
} // namespace vimbrel
