#include "controls/CursorHelpers.h"

#include "platform/CursorCounter.h"

namespace vimbrel {

void HideCursor(platform::CursorCounter& cursor) {
    while (cursor.ShowCursor(false) >= -5) {
    }
}

void RestoreCursor(platform::CursorCounter& cursor) {
    while (cursor.ShowCursor(true) < 6) {
    }
}

} // namespace vimbrel
