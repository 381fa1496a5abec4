#pragma once

#include <memory>
#include <string>

struct mpv_handle;

namespace vimbrel {

// The mpv core, shared by the player and its video surface. The surface
// holds a reference for as long as its render context lives, so the core is
// destroyed only after the render context has been freed, whatever order the
// widgets go in.
using MpvCore = std::shared_ptr<mpv_handle>;

// A started mpv core set up to play for the show: video only through the
// render API (VideoSurface), no input handling or on-screen controls of its
// own, the system's screen saver left alone, hardware decoding where the
// machine has a graphics processor (mpv's "auto-safe"). Sound goes to
// audioOutput, or where empty to VIMBREL_AUDIO_OUTPUT, or where that is
// unset to mpv's own choice, with silence where no audio device opens.
// Raises vimbrel::Error when mpv cannot start.
MpvCore CreateMpvCore(std::string audioOutput);

} // namespace vimbrel
