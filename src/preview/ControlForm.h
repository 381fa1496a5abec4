#pragma once

#include "preview/PreviewState.h"

#include <QWidget>
#include <cstdint>
#include <memory>

class QLabel;
class QTimer;

namespace vimbrel {

namespace platform {
class CloseRequestFilter;
class RandomSource;
} // namespace platform

// The preview of mode /P. The form itself is never shown: its panel
// Picture1 moves into the host's preview window and fills it, and the icon
// Picture2 jumps to a random place on it once a second, until the host's
// window is gone or the host asks the panel to close.
class ControlForm final : public QWidget {
    Q_OBJECT
public:
    ControlForm(PreviewState& preview, platform::RandomSource& random, uint32_t parentWindow);
    ~ControlForm() override;

    void Form_Load();
    void Timer1_Timer();
    void Form_Unload();

    // The host's close request for the panel: the panel leaves the host's
    // window at once; the next tick unloads the form.
    void PreviewWindowProc();

    QWidget* Picture1 = nullptr; // the panel, a native window of its own
    QLabel* Picture2 = nullptr;  // the 32 x 32 icon
    QTimer* Timer1 = nullptr;

signals:
    // The form has unloaded: the preview is over.
    void unloaded();

private:
    void HookWindowProc();
    void UnhookWindowProc();

    PreviewState& m_preview;
    platform::RandomSource& m_random;
    uint32_t m_parentWindow;
    std::unique_ptr<platform::CloseRequestFilter> m_hook;
    bool m_unloaded = false;
};

} // namespace vimbrel
