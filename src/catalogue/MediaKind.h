#pragma once

#include <string>
#include <string_view>

namespace vimbrel {

// What a file of the show is, by its extension.
enum class MediaKind {
    Picture,  // JPG, GIF, BMP; PNG, JPEG, WEBP, TIF, TIFF, HEIC, HEIF, AVIF
    Sound,    // WAV, MP3, WMA; FLAC, OGG, OPUS, M4A, AAC
    Tune,     // MID, RMI: synthesized before it plays
    PlayList, // M3U, ASX; M3U8
    Video,    // every other supported extension: ASF, AVI, MOV, MPG, WMV; MP4...
};

// The extension of a show's file: the text after its first dot, upper-cased
// (the catalogue admits no name with two dots).
std::string ExtensionOf(std::string_view name);

// The kind of a file the catalogue admitted. Sounds, tunes and play lists
// all play in the sound presenter.
MediaKind MediaKindOf(std::string_view name);

} // namespace vimbrel
