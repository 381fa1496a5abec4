#include "platform/UserChoices.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace vimbrel::platform {

namespace {

// Debian and Ubuntu (fluid-soundfont-gm) first, then Fedora and Arch.
constexpr const char* kSystemSoundFonts[] = {
    "/usr/share/sounds/sf2/default-GM.sf2",
    "/usr/share/sounds/sf2/FluidR3_GM.sf2",
    "/usr/share/soundfonts/default.sf2",
    "/usr/share/soundfonts/FluidR3_GM.sf2",
};

bool Readable(const char* path) {
    return std::ifstream(path).good();
}

} // namespace

std::string ChosenAudioOutput() {
    const char* chosen = std::getenv("VIMBREL_AUDIO_OUTPUT");
    return chosen != nullptr ? chosen : "";
}

bool SoftwareVideoChosen() {
    const char* chosen = std::getenv("VIMBREL_VIDEO_OUTPUT");
    return chosen != nullptr && std::strcmp(chosen, "software") == 0;
}

bool OpenGlVideoChosen() {
    const char* chosen = std::getenv("VIMBREL_VIDEO_OUTPUT");
    return chosen != nullptr && std::strcmp(chosen, "opengl") == 0;
}

bool GraphicsProcessorAvailable() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/dri", error)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("renderD") && ::access(entry.path().c_str(), R_OK | W_OK) == 0) {
            return true;
        }
    }
    return false;
}

bool OpenGlVideoPossible() {
    return !SoftwareVideoChosen() && (OpenGlVideoChosen() || GraphicsProcessorAvailable());
}

std::string FindSoundFont() {
    if (const char* chosen = std::getenv("VIMBREL_SOUNDFONT")) {
        return *chosen != '\0' && Readable(chosen) ? chosen : "";
    }
    for (const char* candidate : kSystemSoundFonts) {
        if (Readable(candidate)) {
            return candidate;
        }
    }
    return {};
}

} // namespace vimbrel::platform
