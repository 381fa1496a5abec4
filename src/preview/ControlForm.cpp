#include "preview/ControlForm.h"

#include "config/ProgramIcon.h"
#include "platform/HostWindows.h"
#include "platform/RandomSource.h"
#include "show/Twips.h"

#include <QLabel>
#include <QPixmap>
#include <QTimer>

namespace vimbrel {

TwipsSize PanelSize(const platform::ClientRect& rect) {
    return {static_cast<double>(platform::TwipsPerPixelX) * (rect.right - rect.left),
            static_cast<double>(platform::TwipsPerPixelY) * (rect.bottom - rect.top)};
}

TwipsPoint IconPlace(TwipsSize panel, TwipsSize icon, float r1, float r2) {
    TwipsPoint place;
    place.top = r1 * (panel.height - icon.height);
    place.left = r2 * (panel.width - icon.width);
    return place;
}

ControlForm::ControlForm(PreviewState& preview, platform::RandomSource& random,
                         uint32_t parentWindow)
    : m_preview(preview), m_random(random), m_parentWindow(parentWindow) {
    setObjectName("ControlForm");
    setWindowTitle("Vimbrel");

    // The panel is a window of its own, owned by the form: only a window
    // can live inside another program's window.
    Picture1 = new QWidget(this, Qt::Window | Qt::FramelessWindowHint);
    Picture1->setObjectName("Picture1");
    Picture1->setAttribute(Qt::WA_NativeWindow);
    Picture1->setAutoFillBackground(true);
    QPalette panel = Picture1->palette();
    panel.setColor(QPalette::Window, Qt::black);
    Picture1->setPalette(panel);

    Picture2 = new QLabel(Picture1);
    Picture2->setObjectName("Picture2");
    Picture2->setPixmap(QPixmap::fromImage(DrawProgramIcon()));
    Picture2->setGeometry(0, 0, 32, 32);

    Timer1 = new QTimer(this);
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &ControlForm::Timer1_Timer);
}

ControlForm::~ControlForm() {
    UnhookWindowProc();
}

void ControlForm::Form_Load() {
    // The panel takes its size before its native window is made for the
    // hook: a window made at the default size and resized later could show
    // the host the wrong size for a moment.
    m_preview.PreviewRect = platform::GetClientRect(m_parentWindow);
    const TwipsSize size = PanelSize(m_preview.PreviewRect);
    Place(Picture1, 0, 0, size.width, size.height);
    HookWindowProc();
    platform::SetParent(Picture1, m_parentWindow);
    m_preview.PreviewActive = -1;
    // A panel with no host stays hidden rather than turn up on the desktop.
    if (platform::IsWindow(m_parentWindow) && !Picture1->size().isEmpty()) {
        Picture1->show();
    }
    Timer1->start();
}

void ControlForm::Timer1_Timer() {
    if (!platform::IsWindow(m_parentWindow) || m_preview.PreviewActive != -1) {
        Form_Unload();
        return;
    }
    const TwipsSize panel{WidthInTwips(Picture1), HeightInTwips(Picture1)};
    const TwipsSize icon{WidthInTwips(Picture2), HeightInTwips(Picture2)};
    const float r1 = m_random.Rnd();
    const float r2 = m_random.Rnd();
    const TwipsPoint place = IconPlace(panel, icon, r1, r2);
    Picture2->move(ToPixelsX(place.left), ToPixelsY(place.top));
}

void ControlForm::Form_Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    Timer1->stop();
    UnhookWindowProc();
    emit unloaded();
}

void ControlForm::PreviewWindowProc() {
    platform::SetParent(Picture1, 0);
    m_preview.PreviewActive = 0;
}

void ControlForm::HookWindowProc() {
    m_hook = std::make_unique<platform::CloseRequestFilter>(
        static_cast<uint32_t>(Picture1->winId()), [this] { PreviewWindowProc(); });
}

void ControlForm::UnhookWindowProc() {
    m_hook.reset();
}

} // namespace vimbrel
