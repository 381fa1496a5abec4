#pragma once

#include <string>
#include <string_view>

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

// True when no window of the user's programs has this title open.
// A failed look-up counts as no window.
bool IsWindowAbsent(std::string_view title);

// Every occurrence of find replaced, left to right and without overlap; the
// inserted text is never searched again, so "&" -> "&&" doubles each
// ampersand once. Case-sensitive. An empty find changes nothing.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement);

} // namespace vimbrel
