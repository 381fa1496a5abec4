#pragma once

// Small helpers over mpv's client calls, for the player's own files.

#include <cstdint>
#include <initializer_list>
#include <mpv/client.h>
#include <vector>

namespace vimbrel::mpvcalls {

// The source the player's errors name.
inline constexpr char kSource[] = "MediaPlayer1";

// mpv's command, without caring whether it succeeds: the commands used here
// fail only where there is nothing to do (no next entry, nothing to rewind).
inline void Command(mpv_handle* core, std::initializer_list<const char*> words) {
    std::vector<const char*> command(words);
    command.push_back(nullptr);
    mpv_command(core, command.data());
}

// A whole-number property; 0 where mpv has none.
inline int64_t IntProperty(mpv_handle* core, const char* name) {
    int64_t value = 0;
    if (mpv_get_property(core, name, MPV_FORMAT_INT64, &value) < 0) {
        return 0;
    }
    return value;
}

} // namespace vimbrel::mpvcalls
