#pragma once

#include "platform/ClientRect.h"

#include <QAbstractNativeEventFilter>
#include <cstdint>
#include <functional>

class QWidget;

namespace vimbrel::platform {

// Windows of other programs, named by their X11 ids on the command line
// (/P, /A). Everything here works on the xcb platform only; elsewhere no id
// names a window, so the preview ends and the dialog has no owner.

// True when the id names a window that exists now (0 never does).
bool IsWindow(uint32_t window);

// The window's client area; all 0 when the id names no window.
ClientRect GetClientRect(uint32_t window);

// Moves the widget's own native window into the given window as a child, at
// the widget's position; with 0 the widget leaves whatever window held it
// and becomes a top-level window of its own again (hidden). Nothing happens
// when the id names no window.
void SetParent(QWidget* widget, uint32_t window);

// Makes the dialog belong to the window (WM_TRANSIENT_FOR): window managers
// keep it above its owner. Nothing happens when the id names no window.
void SetOwnerWindow(QWidget* dialog, uint32_t window);

// Catches the close requests (WM_DELETE_WINDOW client messages) sent to one
// native window before Qt turns them into a close of the widget: a host
// that closes the window it lent us must not destroy our widget under us.
// Every other event passes on unchanged.
class CloseRequestFilter final : public QAbstractNativeEventFilter {
public:
    CloseRequestFilter(uint32_t window, std::function<void()> onCloseRequest);
    ~CloseRequestFilter() override;
    CloseRequestFilter(const CloseRequestFilter&) = delete;
    CloseRequestFilter& operator=(const CloseRequestFilter&) = delete;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    uint32_t m_window;
    uint32_t m_protocolsAtom = 0;
    uint32_t m_deleteAtom = 0;
    std::function<void()> m_onCloseRequest;
};

} // namespace vimbrel::platform
