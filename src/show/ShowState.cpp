#include "show/ShowState.h"

#include "catalogue/MediaKind.h"
#include "runtime/Conversions.h"
#include "settings/SettingsModel.h"

namespace vimbrel {

namespace {

constexpr std::string_view kPausedSuffix = " (paused)";

// A key stored as a lower-case character also answers to the character 32
// below it: its upper-case letter.
bool Matches(int keyAscii, int16_t stored) {
    return keyAscii == stored || keyAscii == stored - 32;
}

bool PlayListPlays(const ShowState& show) {
    return !show.Playing.empty() && MediaKindOf(show.Playing) == MediaKind::PlayList;
}

} // namespace

TickAction NextTickAction(ShowState& show, int16_t interval) {
    if (!show.Playing.empty() || !show.Loading.empty()) {
        return TickAction::Wait;
    }
    if (show.TickCount > interval) {
        show.TickCount = 0;
        return TickAction::Advance;
    }
    if (show.TickCount < INT16_MAX) {
        ++show.TickCount;
    }
    return TickAction::Count;
}

int TimerIntervalMs(int16_t interval) {
    return interval == 0 ? 10 : 1000;
}

ShowCommand CommandOfKey(int keyAscii, const CollectionSettings& settings) {
    if (settings.key_Special == 0) {
        return ShowCommand::End;
    }
    const std::pair<int16_t, ShowCommand> order[] = {
        {settings.key_Captions, ShowCommand::ToggleCaptions},
        {settings.key_NewFolder, ShowCommand::NextFolder},
        {settings.key_Pause, ShowCommand::Pause},
        {settings.key_Rename, ShowCommand::Rename},
        {settings.key_Next, ShowCommand::NextItem},
        {settings.key_Previous, ShowCommand::PreviousItem},
    };
    for (const auto& [stored, command] : order) {
        if (Matches(keyAscii, stored)) {
            return command;
        }
    }
    return ShowCommand::End;
}

PauseStep PauseStepOf(const ShowState& show) {
    if (!show.Playing.empty()) {
        return show.PlayerPaused ? PauseStep::ResumePlayer : PauseStep::PausePlayer;
    }
    return show.TimedShowPaused ? PauseStep::ResumeTimedShow : PauseStep::PauseTimedShow;
}

bool NextStaysInPlayList(const ShowState& show, PlayListPlace place) {
    return PlayListPlays(show) && place.entry != place.entries;
}

bool PreviousStaysInPlayList(const ShowState& show, PlayListPlace place) {
    return PlayListPlays(show) && place.entry != 1;
}

std::optional<int16_t> NextFolderPosition(int16_t from, int16_t folders) {
    if (folders < 2) {
        return std::nullopt;
    }
    const auto next = static_cast<int16_t>(from + 1);
    return next > folders - 1 ? int16_t{0} : next;
}

std::optional<std::string> NameOutOfTheShow(std::string_view name) {
    if (name.empty() || name.front() == '_') {
        return std::nullopt;
    }
    return "_" + std::string(name);
}

std::string CaptionPaused(std::string_view caption) {
    return std::string(caption) + std::string(kPausedSuffix);
}

std::string CaptionResumed(std::string_view caption) {
    return ReplaceText(caption, kPausedSuffix, "");
}

} // namespace vimbrel
