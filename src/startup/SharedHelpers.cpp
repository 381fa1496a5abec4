#include "startup/SharedHelpers.h"

#include "platform/CursorCounter.h"
#include "platform/WindowTitleLock.h"

namespace vimbrel {

void HideCursor(platform::CursorCounter& cursor) {
    while (cursor.ShowCursor(false) >= -5) {
    }
}

void RestoreCursor(platform::CursorCounter& cursor) {
    while (cursor.ShowCursor(true) < 6) {
    }
}

bool IsWindowAbsent(std::string_view title) {
    try {
        return !platform::IsWindowTitleHeld(title);
    } catch (...) {
        return true;
    }
}

std::string ReplaceText(std::string_view text, std::string_view find,
                        std::string_view replacement) {
    if (find.empty()) {
        return std::string(text);
    }
    std::string result;
    std::size_t position = 0;
    for (std::size_t at = text.find(find); at != std::string_view::npos;
         at = text.find(find, position)) {
        result.append(text.substr(position, at - position));
        result.append(replacement);
        position = at + find.size();
    }
    result.append(text.substr(position));
    return result;
}

} // namespace vimbrel
