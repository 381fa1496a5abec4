// How fast a long MIDI piece starts to sound, and what it costs in memory:
//
//   start     from `loadfile` of a ten-minute, sixteen-channel General MIDI
//             piece to mpv's audio starting (PLAYBACK_RESTART), on a bare
//             mpv core with the null audio output (target <= 300 ms): the
//             first piece, the median of four later ones, and one without
//             the spare synthesizer ready, and a WAV file's for comparison
//   memory    resident size over that of a core which has played a few WAV
//             files (mpv keeps memory of its own after playing anything):
//             with the spare synthesizer ready, while a piece plays (peak),
//             after the pieces stopped
//   processor share of one core while a piece plays, mpv included
//
// Run: build/bench/midi_start_bench [seconds to play each time, default 3]

#include "media/midi/MidiStream.h"
#include "platform/ProcessControl.h"
#include "platform/UserChoices.h"

#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <mpv/client.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

void VariableLength(std::vector<std::uint8_t>& out, std::uint32_t value) {
    std::vector<std::uint8_t> groups{static_cast<std::uint8_t>(value & 0x7F)};
    while ((value >>= 7) != 0) {
        groups.push_back(static_cast<std::uint8_t>(0x80 | (value & 0x7F)));
    }
    out.insert(out.end(), groups.rbegin(), groups.rend());
}

// A type-0 piece at 120 beats a minute: every channel gets its own
// instrument at the start (as General MIDI files do, so the sound font's
// instruments all load at once), then a chord and a drum beat on every
// beat for the given number of minutes.
void WriteLongPiece(const fs::path& path, int minutes) {
    std::vector<std::uint8_t> track;
    std::uint32_t delta = 0;
    const auto event = [&](std::initializer_list<std::uint8_t> bytes) {
        VariableLength(track, delta);
        delta = 0;
        track.insert(track.end(), bytes);
    };
    for (std::uint8_t channel = 0; channel < 16; ++channel) {
        if (channel != 9) {
            event({static_cast<std::uint8_t>(0xC0 | channel),
                   static_cast<std::uint8_t>(channel * 8)});
        }
    }
    const int division = 480;
    const std::uint8_t chords[4][3] = {{60, 64, 67}, {57, 60, 64}, {53, 57, 60}, {55, 59, 62}};
    for (int beat = 0; beat < minutes * 120; ++beat) {
        const auto& chord = chords[beat / 4 % 4];
        const auto channel = static_cast<std::uint8_t>(beat % 16 == 9 ? 0 : beat % 16);
        for (const std::uint8_t key : chord) {
            event({static_cast<std::uint8_t>(0x90 | channel), key, 90});
        }
        event({0x99, 36, 100});
        delta += division - 20;
        for (const std::uint8_t key : chord) {
            event({static_cast<std::uint8_t>(0x80 | channel), key, 0});
        }
        event({0x89, 36, 0});
        delta += 20;
    }
    event({0xFF, 0x2F, 0x00});
    std::vector<std::uint8_t> file = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, division >> 8, division & 0xFF,
        'M', 'T', 'r', 'k'};
    const auto size = static_cast<std::uint32_t>(track.size());
    file.insert(file.end(),
                {static_cast<std::uint8_t>(size >> 24), static_cast<std::uint8_t>(size >> 16),
                 static_cast<std::uint8_t>(size >> 8), static_cast<std::uint8_t>(size)});
    file.insert(file.end(), track.begin(), track.end());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
}

// Ten seconds of a stereo tone as 16-bit PCM WAV: what mpv does for a sound
// that needs no synthesis, to compare with.
void WriteTone(const fs::path& path) {
    const std::uint32_t frames = 10 * 44100;
    std::vector<std::int16_t> samples(frames * 2);
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const auto value = static_cast<std::int16_t>(8000 * std::sin(frame * 0.0627));
        samples[frame * 2] = value;
        samples[frame * 2 + 1] = value;
    }
    const auto bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::ofstream out(path, std::ios::binary);
    const auto u32 = [&](std::uint32_t value) {
        out.write(reinterpret_cast<const char*>(&value), 4);
    };
    const auto u16 = [&](std::uint16_t value) {
        out.write(reinterpret_cast<const char*>(&value), 2);
    };
    out.write("RIFF", 4);
    u32(36 + bytes);
    out.write("WAVEfmt ", 8);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    out.write("data", 4);
    u32(bytes);
    out.write(reinterpret_cast<const char*>(samples.data()), bytes);
}

double ResidentMegabytes() {
    std::ifstream statm("/proc/self/statm");
    long total = 0;
    long resident = 0;
    statm >> total >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / 1048576.0;
}

double ProcessorSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

// Waits for the event; false when the entry ended or nothing came in time.
bool WaitFor(mpv_handle* core, mpv_event_id wanted, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < deadline) {
        const mpv_event* event = mpv_wait_event(core, 0.5);
        if (event->event_id == wanted) {
            return true;
        }
        if (event->event_id == MPV_EVENT_END_FILE) {
            return false;
        }
    }
    return false;
}

// Loads the piece, waits for its sound to start, lets it play, stops it.
// Returns the start in milliseconds; negative when it never started.
double PlayOnce(mpv_handle* core, const std::string& address, double playSeconds,
                double& residentWhilePlaying, double& processorShare) {
    const char* load[] = {"loadfile", address.c_str(), "replace", nullptr};
    const auto start = Clock::now();
    mpv_command(core, load);
    if (!WaitFor(core, MPV_EVENT_PLAYBACK_RESTART, 10)) {
        return -1;
    }
    const double startMs = Milliseconds(Clock::now() - start);
    const double processorBefore = ProcessorSeconds();
    std::this_thread::sleep_for(std::chrono::duration<double>(playSeconds));
    processorShare = (ProcessorSeconds() - processorBefore) / playSeconds;
    residentWhilePlaying = ResidentMegabytes();
    const char* stop[] = {"stop", nullptr};
    mpv_command(core, stop);
    WaitFor(core, MPV_EVENT_IDLE, 5);
    // As the show's player does once a file has ended.
    vimbrel::platform::ReturnFreedMemory();
    return startMs;
}

} // namespace

int main(int argc, char** argv) {
    const double playSeconds = argc > 1 ? std::atof(argv[1]) : 3.0;
    std::setlocale(LC_NUMERIC, "C");
    if (!vimbrel::MidiSynthesisAvailable()) {
        std::printf("No General MIDI sound font: install fluid-soundfont-gm\n");
        return 1;
    }
    const std::string soundFont = vimbrel::platform::FindSoundFont();
    std::printf("sound font: %s (%.0f MB)\n", soundFont.c_str(),
                static_cast<double>(fs::file_size(soundFont)) / 1048576.0);
    const fs::path folder =
        fs::temp_directory_path() / ("midi_start_bench." + std::to_string(getpid()));
    fs::create_directories(folder);
    const fs::path piece = folder / "Ten Minutes.mid";
    WriteLongPiece(piece, 10);
    std::printf("piece: 10 minutes, 16 channels, %ju bytes\n\n",
                static_cast<std::uintmax_t>(fs::file_size(piece)));

    mpv_handle* core = mpv_create();
    for (const auto& [name, value] : {std::pair{"ao", "null"},
                                      {"vo", "null"},
                                      {"terminal", "no"},
                                      {"idle", "yes"},
                                      {"audio-display", "no"}}) {
        mpv_set_option_string(core, name, value);
    }
    if (mpv_initialize(core) < 0) {
        std::printf("mpv does not start\n");
        return 1;
    }
    const double idleCore = ResidentMegabytes();

    // mpv keeps memory of its own after playing anything; a few plain
    // sounds first, so that the figures below are the MIDI files' alone.
    const fs::path tone = folder / "tone.wav";
    WriteTone(tone);
    std::vector<double> toneStarts;
    for (int round = 0; round < 3; ++round) {
        double unused = 0;
        toneStarts.push_back(PlayOnce(core, tone.string(), playSeconds, unused, unused));
    }
    std::sort(toneStarts.begin(), toneStarts.end());
    const double afterTones = ResidentMegabytes();

    vimbrel::RegisterMidiProtocol(core);
    // The show prepares the synthesizer while the picture before a MIDI
    // file stands, seconds before the tune comes; it is ready by then.
    vimbrel::PrepareMidiSynthesis();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double prepared = ResidentMegabytes();
    const std::string address = vimbrel::MidiStreamAddress(piece.string());

    std::vector<double> starts;
    double peak = 0;
    double processorShare = 0;
    for (int round = 1; round <= 5; ++round) {
        double playing = 0;
        const double startMs = PlayOnce(core, address, playSeconds, playing, processorShare);
        if (startMs < 0) {
            std::printf("the piece did not start\n");
            return 1;
        }
        starts.push_back(startMs);
        peak = std::max(peak, playing);
        std::printf("round %d: start %4.0f ms, resident while playing %+.1f MB\n", round, startMs,
                    playing - afterTones);
        // The show's next file comes a while later; the spare is remade.
        std::this_thread::sleep_for(std::chrono::seconds(2));
    }
    const double afterStop = ResidentMegabytes();

    // No spare for this sound font's name: the synthesizer is made while
    // the piece waits, as for a MIDI file right after the player was made.
    const fs::path sameFont = folder / "same.sf2";
    fs::create_symlink(soundFont, sameFont);
    ::setenv("VIMBREL_SOUNDFONT", sameFont.c_str(), 1);
    double unused = 0;
    const double unpreparedMs = PlayOnce(core, address, 1, unused, unused);

    std::vector<double> later(starts.begin() + 1, starts.end());
    std::sort(later.begin(), later.end());
    std::printf("\nstart, first piece          %5.0f ms (target <= 300)\n", starts[0]);
    std::printf("start, later (median)       %5.0f ms (target <= 300)\n", later[later.size() / 2]);
    std::printf("start, without the spare    %5.0f ms\n", unpreparedMs);
    std::printf("start, a WAV file (median)  %5.0f ms\n", toneStarts[1]);
    std::printf("resident, idle core         %5.1f MB; after playing WAV files %+.1f MB\n",
                idleCore, afterTones - idleCore);
    std::printf("resident over that, MIDI:\n");
    std::printf("  spare ready               %+5.1f MB\n", prepared - afterTones);
    std::printf("  while a piece plays, peak %+5.1f MB\n", peak - afterTones);
    std::printf("  after the pieces          %+5.1f MB\n", afterStop - afterTones);
    std::printf("processor while playing     %5.1f %% of one core, mpv included\n",
                processorShare * 100);
    mpv_terminate_destroy(core);
    fs::remove_all(folder);
    return 0;
}
