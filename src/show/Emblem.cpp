#include "show/Emblem.h"

#include <QPainter>
#include <QPainterPath>

namespace vimbrel {

QImage DrawEmblem() {
    QImage emblem(kEmblemWidth, kEmblemHeight, QImage::Format_RGB32);
    emblem.fill(Qt::black);
    QPainter painter(&emblem);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(Qt::white, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(pen);

    // A flowing glyph: two stacked loops like a "3", a tail sweeping to the
    // right, and above them a crescent holding a dot.
    QPainterPath body;
    body.moveTo(14, 38);
    body.cubicTo(20, 26, 42, 28, 38, 42);
    body.cubicTo(36, 50, 26, 52, 22, 52);
    body.cubicTo(34, 52, 44, 58, 40, 70);
    body.cubicTo(36, 82, 16, 80, 10, 70);
    body.moveTo(38, 50);
    body.cubicTo(48, 40, 66, 44, 62, 62);
    body.cubicTo(60, 72, 52, 78, 46, 80);
    painter.drawPath(body);

    QPainterPath crescent;
    crescent.moveTo(40, 18);
    crescent.cubicTo(46, 26, 60, 26, 64, 16);
    painter.drawPath(crescent);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QPointF(52, 9), 4, 4);
    return emblem;
}

} // namespace vimbrel
