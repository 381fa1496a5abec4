#pragma once

namespace vimbrel {

namespace platform {
class CursorCounter;
}

// Drives the cursor's display counter below -5, so that up to five show
// requests from elsewhere still leave the cursor hidden.
void HideCursor(platform::CursorCounter& cursor);

// Drives the counter to 6 or more, so that up to six hide requests from
// elsewhere still leave the cursor visible.
void RestoreCursor(platform::CursorCounter& cursor);

} // namespace vimbrel
