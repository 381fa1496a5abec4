#include "media/MpvCore.h"

#include "platform/UserChoices.h"
#include "runtime/Error.h"

#include <clocale>
#include <mpv/client.h>

namespace vimbrel {

namespace {

constexpr const char* kSource = "MediaPlayer1";

} // namespace

MpvCore CreateMpvCore(std::string audioOutput) {
    // mpv refuses to start under a numeric locale other than "C", which
    // QApplication may have set from the environment.
    std::setlocale(LC_NUMERIC, "C");
    mpv_handle* handle = mpv_create();
    if (handle == nullptr) {
        throw Error(ErrorNumber::CannotPlayMedia, kSource, "The media player cannot start");
    }
    MpvCore core(handle, &mpv_terminate_destroy);
    if (audioOutput.empty()) {
        audioOutput = platform::ChosenAudioOutput();
    }
    const std::pair<const char*, const char*> options[] = {
        {"vo", "libmpv"},
        // mpv would otherwise keep the system's screen saver from starting,
        // and this program is the screen saver.
        {"stop-screensaver", "no"},
        {"idle", "yes"},
        {"keep-open", "no"},
        {"input-default-bindings", "no"},
        {"input-vo-keyboard", "no"},
        {"osc", "no"},
        {"terminal", "no"},
        // A sound file's cover picture would make it a video.
        {"audio-display", "no"},
        {"sub-auto", "no"},
        {"ytdl", "no"},
        // Without a sound device a video plays without sound, and a sound
        // ends at once with the output's error: the show passes it over
        // rather than waiting through silence.
        {"audio-fallback-to-null", "no"},
        // The show never reaches out to the network by itself, not even for
        // an address that a file mpv reads as a play list names.
        {"stream-lavf-o", "protocol_whitelist=file"},
    };
    // The graphics processor decodes where it can safely do so; without
    // one there is nothing to probe, and probing only prints noise (a
    // missing CUDA).
    const bool graphicsProcessor = platform::GraphicsProcessorAvailable();
    mpv_set_option_string(handle, "hwdec", graphicsProcessor ? "auto-safe" : "no");
    mpv_set_option_string(handle, "gpu-hwdec-interop", graphicsProcessor ? "auto" : "no");
    for (const auto& [name, value] : options) {
        // Options of parts left out of this mpv build (the on-screen
        // controller) do not matter.
        mpv_set_option_string(handle, name, value);
    }
    if (!audioOutput.empty() && mpv_set_option_string(handle, "ao", audioOutput.c_str()) < 0) {
        throw Error(ErrorNumber::CannotPlayMedia, kSource, "Unknown audio output: " + audioOutput);
    }
    const int status = mpv_initialize(handle);
    if (status < 0) {
        throw Error(ErrorNumber::CannotPlayMedia, kSource,
                    std::string("The media player cannot start: ") + mpv_error_string(status));
    }
    return core;
}

} // namespace vimbrel
