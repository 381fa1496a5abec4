#include "show/ScreenCovers.h"

#include "platform/ScreenHold.h"

#include <QGuiApplication>
#include <QScreen>

namespace vimbrel {

namespace {

void Paint(QWidget& widget, QColor colour) {
    QPalette colours = widget.palette();
    colours.setColor(QPalette::Window, colour);
    widget.setPalette(colours);
}

} // namespace

ScreenCover::ScreenCover(QScreen* screen, QColor colour) {
    setObjectName("ScreenCover");
    platform::MakeCoveringWindow(*this);
    setAutoFillBackground(true);
    setMouseTracking(true);
    // The cover takes no keys: they belong to the show.
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::BlankCursor);
    Paint(*this, colour);
    setScreen(screen);
    setGeometry(screen->geometry());
}

void ScreenCover::mousePressEvent(QMouseEvent*) {
    m_pressed = true;
    emit PointerEvent();
}

void ScreenCover::mouseReleaseEvent(QMouseEvent*) {
    // Press and release make a click, which counts as well.
    if (m_pressed) {
        emit PointerEvent();
    }
    m_pressed = false;
}

ScreenCovers::ScreenCovers(QColor colour) {
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen == primary) {
            continue;
        }
        auto cover = std::make_unique<ScreenCover>(screen, colour);
        platform::ShowCovering(*cover);
        m_covers.push_back(std::move(cover));
    }
}

void ScreenCovers::SetColour(QColor colour) {
    for (const auto& cover : m_covers) {
        Paint(*cover, colour);
        cover->update();
    }
}

void ScreenCovers::CloseAll() {
    for (const auto& cover : m_covers) {
        cover->close();
    }
    m_covers.clear();
}

} // namespace vimbrel
