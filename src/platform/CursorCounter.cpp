#include "platform/CursorCounter.h"

#include <QCursor>
#include <QGuiApplication>

namespace vimbrel::platform {

CursorCounter::~CursorCounter() {
    if (m_blankCursorSet && QGuiApplication::instance() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
}

int CursorCounter::ShowCursor(bool show) {
    m_counter += show ? 1 : -1;
    ApplyVisibility();
    return m_counter;
}

void CursorCounter::ApplyVisibility() {
    // The override cursor needs a GUI application; without one (a start-up
    // that shows no window) the counter alone is kept.
    if (QGuiApplication::instance() == nullptr) {
        return;
    }
    if (!visible() && !m_blankCursorSet) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
        m_blankCursorSet = true;
    } else if (visible() && m_blankCursorSet) {
        QGuiApplication::restoreOverrideCursor();
        m_blankCursorSet = false;
    }
}

} // namespace vimbrel::platform
