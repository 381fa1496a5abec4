#include "show/PictureArea.h"

#include <QMouseEvent>
#include <QPainter>

namespace vimbrel {

PictureArea::PictureArea(QWidget* parent) : QWidget(parent) {
    setObjectName("Image1");
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent, false);
}

void PictureArea::SetPicture(QImage picture) {
    m_picture = std::move(picture);
    update();
}

void PictureArea::paintEvent(QPaintEvent*) {
    if (m_picture.isNull()) {
        return;
    }
    QPainter painter(this);
    // The picture may have been decoded at a reduced size; it is drawn at
    // the size the layout gave the area either way.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    if (m_stretch || m_picture.size() != size()) {
        painter.drawImage(rect(), m_picture);
    } else {
        painter.drawImage(0, 0, m_picture);
    }
}

void PictureArea::mouseMoveEvent(QMouseEvent*) {
    emit PointerEvent();
}

void PictureArea::mousePressEvent(QMouseEvent*) {
    m_pressed = true;
    emit PointerEvent();
}

void PictureArea::mouseReleaseEvent(QMouseEvent* event) {
    // A press and release over the picture is a click, which counts again.
    if (m_pressed && rect().contains(event->position().toPoint())) {
        emit PointerEvent();
    }
    m_pressed = false;
}

void PictureArea::mouseDoubleClickEvent(QMouseEvent*) {
    emit PointerEvent();
}

} // namespace vimbrel
