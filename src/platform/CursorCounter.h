#pragma once

namespace vimbrel::platform {

// The mouse cursor's display counter: each hide request takes one from it,
// each show request adds one, and the cursor is visible while the counter
// is 0 or more. The program's windows show a blank cursor while it is below
// 0. It starts at 0, as where a mouse is present.
class CursorCounter {
public:
    CursorCounter() = default;
    ~CursorCounter();
    CursorCounter(const CursorCounter&) = delete;
    CursorCounter& operator=(const CursorCounter&) = delete;

    // Adds one (show) or takes one (hide) and returns the new value.
    int ShowCursor(bool show);
    int value() const { return m_counter; }
    bool visible() const { return m_counter >= 0; }

private:
    void ApplyVisibility();

    int m_counter = 0;
    bool m_blankCursorSet = false;
};

} // namespace vimbrel::platform
