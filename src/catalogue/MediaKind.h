#pragma once

#include <string>
#include <string_view>

namespace vimbrel {

// What a file of the show is, by its extension.
enum class MediaKind {
    Picture,  // JPG, GIF, BMP
    Sound,    // WAV, MP3, WMA
    Tune,     // MID, RMI: synthesized before it plays
    PlayList, // M3U, ASX
    Video,    // every other supported extension: ASF, AVI, MOV, MPG, WMV
};

// The extension of a show's file: the text after its first dot, upper-cased
// (the catalogue admits no name with two dots).
std::string ExtensionOf(std::string_view name);

// The kind of a file the catalogue admitted. Sounds, tunes and play lists
// all play in the sound presenter.
MediaKind MediaKindOf(std::string_view name);

} // namespace vimbrel
