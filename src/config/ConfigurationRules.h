#pragma once

// The arithmetic and texts behind the configuration dialog, apart from any
// widget, so that tests reach them directly.

#include "settings/SettingsModel.h"

#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel {

struct DisplayModeState;

// The placeholder the folder list shows while the collection has no folder.
inline constexpr std::string_view kToBegin = "<TO BEGIN: right-click to add folder(s)>";

// The collection that every installation starts with; its name stays.
inline constexpr std::string_view kDefaultCollectionName = "<default collection>";

// Highest values of the two bars: 100 minutes, and 100 pointer events.
inline constexpr int kMaxInterval = 6000;
inline constexpr int kMaxMouseMoves = 100;
// Both start at 0, so that every value the show takes can be set: an
// interval of 0 is a show as fast as the timer goes, a sensitivity of 0 a
// show that the mouse never ends.
inline constexpr int kMinInterval = 0;
inline constexpr int kMinMouseMoves = 0;
// Both bars move by one with the arrows and by ten with a click beside the
// thumb.
inline constexpr int kSmallStep = 1;
inline constexpr int kLargeStep = 10;

// The most characters a collection's name may have.
inline constexpr int kMaxCollectionName = 50;

// "Interval = 1 minutes and 15 seconds" for 75: the words stay as they are
// whatever the numbers.
std::string IntervalCaption(int seconds);

// "Mouse Sensitivity = 10".
std::string MouseSensitivityCaption(int mouseMoves);

// The entries of the resolution list: each mode of the desktop's colour
// depth, in the order the display lists them, as "800x600".
std::vector<std::string> ResolutionEntries(const DisplayModeState& display);

// A folder as a new entry starts: three seconds a picture, pictures sized
// down and shown in random order on black, in the desktop's own mode.
FolderEntry NewFolderEntry(std::string path, const DisplayModeState& display);

// The numbers 1..Folders of the folder table, in the order the folder list
// shows them: alphabetical by path, without regard to case; the same path
// twice keeps the table's order.
std::vector<int16_t> FolderListOrder(const SettingsModel& model);

// The folder whose sub-folders "New Folders..." adds, as it is named in the
// messages: a trailing "/" is dropped, except for the root itself.
std::string SubFolderBase(std::string_view chosen);

// The path of a sub-folder of that base: "/photos/2019", or "/photos" for
// a folder of the root.
std::string SubFolderPath(std::string_view base, std::string_view name);

// A key field's text for a stored key: the character in upper case, or
// nothing for a code that is no character.
QString KeyFieldText(int16_t code);

// The key a field's text stands for: the code of its first character in
// lower case; nothing for an empty field, or a character whose code does
// not fit a 16-bit key.
std::optional<int16_t> KeyCodeOf(const QString& text);

} // namespace vimbrel
