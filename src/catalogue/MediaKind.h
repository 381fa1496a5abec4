#pragma once

#include <span>
#include <string>
#include <string_view>

namespace vimbrel {

// What a file of the show is, by its extension (the extensions of each kind
// are in MediaTypes()).
enum class MediaKind {
    Picture,
    Sound,
    Tune, // MIDI: synthesized before it plays
    PlayList,
    Video, // also any extension the show does not know
};

// A type of file the show takes: its extension (upper case), its kind, and
// whether it is one of the fifteen classic types or one of today's, which
// a collection adds with its MoreFormats option.
struct MediaType {
    const char* extension;
    MediaKind kind;
    bool classic;
};

// Every type, the classic ones first in the order the play list groups
// them.
std::span<const MediaType> MediaTypes();

// The extension of a show's file: the text after its first dot, upper-cased
// (the catalogue admits no name with two dots).
std::string ExtensionOf(std::string_view name);

// The kind of a file the catalogue admitted. Sounds, tunes and play lists
// all play in the sound presenter.
MediaKind MediaKindOf(std::string_view name);

} // namespace vimbrel
