#include "MediaFiles.h"

#include "TempDirectory.h"

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace vimbrel::test {
namespace {

void Make(const std::filesystem::path& folder, const std::string& arguments,
          const std::string& name) {
    const std::string command = "ffmpeg -nostdin -hide_banner -loglevel error -y " + arguments +
                                " '" + (folder / name).string() + "'";
    if (std::system(command.c_str()) != 0) {
        throw std::runtime_error("ffmpeg could not make " + name);
    }
}

std::string BigEndian(uint32_t value, int bytes) {
    std::string out;
    for (int shift = (bytes - 1) * 8; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
    return out;
}

// A standard MIDI file of one piano chord held for a second (480 ticks a
// quarter note at 120 beats a minute: 960 ticks).
std::string OneSecondChord() {
    std::string track;
    for (const char note : {'\x3C', '\x40', '\x43'}) { // C, E, G
        track += std::string("\x00\x90", 2) + note + '\x60';
    }
    track += std::string("\x87\x40\x80\x3C\x00", 5); // 960 ticks later, off
    track += std::string("\x00\x80\x40\x00\x00\x80\x43\x00", 8);
    track += std::string("\x00\xFF\x2F\x00", 4);
    return "MThd" + BigEndian(6, 4) + BigEndian(0, 2) + BigEndian(1, 2) + BigEndian(480, 2) +
           "MTrk" + BigEndian(static_cast<uint32_t>(track.size()), 4) + track;
}

void MakeAll(const std::filesystem::path& folder) {
    const std::string pattern = "-f lavfi -i testsrc=rate=25:duration=1:size=";
    const std::string tone = "-f lavfi -i sine=frequency=440:duration=1 ";
    Make(folder, pattern + "160x120 -c:v mpeg4 -q:v 4", "movie.avi");
    Make(folder, pattern + "160x120 -c:v mpeg1video -b:v 800k", "movie.mpg");
    Make(folder, pattern + "160x120 -c:v mpeg4 -q:v 4 -metadata title='Sunset & Sea'",
         "titled.avi");
    Make(folder, pattern + "160x120 -vf setsar=2 -c:v mpeg4 -q:v 4", "anamorphic.avi");
    Make(folder, tone + "-c:a pcm_s16le", "tone.wav");
    Make(folder, tone + "-c:a libmp3lame", "tone.mp3");
    WriteBytes(folder / "chord.mid", OneSecondChord());
    WriteBytes(folder / "broken.avi", "This is not a video.\n");
    // The first half of a video: it opens, and fails part-way.
    std::filesystem::copy_file(folder / "movie.mpg", folder / "truncated.mpg");
    std::filesystem::resize_file(folder / "truncated.mpg",
                                 std::filesystem::file_size(folder / "movie.mpg") / 2);
    WriteBytes(folder / "empty.avi", "");
    std::filesystem::create_directory(folder / "clips");
    std::filesystem::copy_file(folder / "movie.avi", folder / "clips" / "inner.avi");
}

// The media are made once and kept beside the test program: every test runs
// in a process of its own, and making them takes longer than most tests.
// They are made in a folder of their own and renamed into place whole, so
// that tests started side by side never see half a set.
std::filesystem::path MakeOrFindAll() {
    const std::filesystem::path home =
        std::filesystem::read_symlink("/proc/self/exe").parent_path();
    // The name changes whenever the set of media does.
    const std::filesystem::path folder = home / "show_player_media.3";
    if (std::filesystem::is_directory(folder)) {
        return folder;
    }
    std::string pattern = (home / "show_player_media.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    const std::filesystem::path fresh = pattern;
    std::error_code error;
    try {
        MakeAll(fresh);
    } catch (...) {
        std::filesystem::remove_all(fresh, error);
        throw;
    }
    std::filesystem::rename(fresh, folder, error);
    if (error) {
        // Another test program got there first.
        std::filesystem::remove_all(fresh, error);
    }
    return folder;
}

} // namespace

const std::filesystem::path& MediaFolder() {
    static const std::filesystem::path folder = MakeOrFindAll();
    return folder;
}

} // namespace vimbrel::test
