#include "catalogue/MediaKind.h"

#include "runtime/Conversions.h"

#include <algorithm>
#include <array>

namespace vimbrel {

namespace {

// Every type the show takes, once: the fifteen classic ones in the order the
// play list groups them, then today's.
constexpr auto kMediaTypes = std::to_array<MediaType>({
    {"ASF", MediaKind::Video, true},
    {"AVI", MediaKind::Video, true},
    {"BMP", MediaKind::Picture, true},
    {"GIF", MediaKind::Picture, true},
    {"JPG", MediaKind::Picture, true},
    {"MID", MediaKind::Tune, true},
    {"MOV", MediaKind::Video, true},
    {"MP3", MediaKind::Sound, true},
    {"MPG", MediaKind::Video, true},
    {"RMI", MediaKind::Tune, true},
    {"WAV", MediaKind::Sound, true},
    {"WMV", MediaKind::Video, true},
    {"M3U", MediaKind::PlayList, true},
    {"ASX", MediaKind::PlayList, true},
    {"WMA", MediaKind::Sound, true},
    // today's pictures
    {"PNG", MediaKind::Picture, false},
    {"JPEG", MediaKind::Picture, false},
    {"WEBP", MediaKind::Picture, false},
    {"TIF", MediaKind::Picture, false},
    {"TIFF", MediaKind::Picture, false},
    {"HEIC", MediaKind::Picture, false},
    {"HEIF", MediaKind::Picture, false},
    {"AVIF", MediaKind::Picture, false},
    // videos
    {"MP4", MediaKind::Video, false},
    {"M4V", MediaKind::Video, false},
    {"MKV", MediaKind::Video, false},
    {"WEBM", MediaKind::Video, false},
    {"MTS", MediaKind::Video, false},
    {"M2TS", MediaKind::Video, false},
    {"3GP", MediaKind::Video, false},
    {"OGV", MediaKind::Video, false},
    // sounds
    {"FLAC", MediaKind::Sound, false},
    {"OGG", MediaKind::Sound, false},
    {"OPUS", MediaKind::Sound, false},
    {"M4A", MediaKind::Sound, false},
    {"AAC", MediaKind::Sound, false},
    // play lists
    {"M3U8", MediaKind::PlayList, false},
});

} // namespace

std::span<const MediaType> MediaTypes() {
    return kMediaTypes;
}

std::string ExtensionOf(std::string_view name) {
    const std::size_t dot = name.find('.');
    return UpperAscii(dot == std::string_view::npos ? name : name.substr(dot + 1));
}

MediaKind MediaKindOf(std::string_view name) {
    const std::string extension = ExtensionOf(name);
    const auto type = std::find_if(kMediaTypes.begin(), kMediaTypes.end(),
                                   [&](const MediaType& t) { return extension == t.extension; });
    return type != kMediaTypes.end() ? type->kind : MediaKind::Video;
}

} // namespace vimbrel
