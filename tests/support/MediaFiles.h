#pragma once

#include <filesystem>

namespace vimbrel::test {

// Real media for the player's tests, made with ffmpeg on first use in a
// folder beside the test program, which the tests only read:
//   movie.avi       1 s, 160x120, 25 frames/s, test pattern, MPEG-4 in AVI
//   movie.mpg       the same as MPEG-1 video
//   titled.avi      movie.avi with the title "Sunset & Sea"
//   anamorphic.avi  1 s, 160x120 stored with pixels twice as wide as high
//   tone.wav        1 s sine tone
//   tone.mp3        the same as MP3
//   chord.mid       a piano chord held for a second, standard MIDI file
//   broken.avi      a text file with a video's name
//   truncated.mpg   the first half of movie.mpg
//   empty.avi       no bytes at all
//   clips/inner.avi movie.avi in a folder below
const std::filesystem::path& MediaFolder();

} // namespace vimbrel::test
