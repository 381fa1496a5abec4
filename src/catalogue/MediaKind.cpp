#include "catalogue/MediaKind.h"

#include "runtime/Conversions.h"

namespace vimbrel {

std::string ExtensionOf(std::string_view name) {
    const std::size_t dot = name.find('.');
    return UpperAscii(dot == std::string_view::npos ? name : name.substr(dot + 1));
}

MediaKind MediaKindOf(std::string_view name) {
    const std::string extension = ExtensionOf(name);
    const auto is = [&](std::initializer_list<const char*> extensions) {
        for (const char* candidate : extensions) {
            if (extension == candidate) {
                return true;
            }
        }
        return false;
    };
    if (is({"JPG", "GIF", "BMP", "PNG", "JPEG", "WEBP", "TIF", "TIFF", "HEIC", "HEIF", "AVIF"})) {
        return MediaKind::Picture;
    }
    if (is({"WAV", "MP3", "WMA", "FLAC", "OGG", "OPUS", "M4A", "AAC"})) {
        return MediaKind::Sound;
    }
    if (is({"MID", "RMI"})) {
        return MediaKind::Tune;
    }
    if (is({"M3U", "ASX", "M3U8"})) {
        return MediaKind::PlayList;
    }
    return MediaKind::Video;
}

} // namespace vimbrel
