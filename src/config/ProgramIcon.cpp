#include "config/ProgramIcon.h"

#include <QPainter>

namespace vimbrel {

QImage DrawProgramIcon() {
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    // The colours of the sixteen-colour palette only, drawn without
    // smoothing, so the icon looks the same at any size it is shown.
    painter.setPen(Qt::black);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawRect(1, 3, 29, 25);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 255, 255));
    painter.drawRect(3, 5, 26, 14);
    painter.setBrush(QColor(255, 255, 0));
    painter.drawEllipse(20, 7, 6, 6);
    painter.setBrush(QColor(0, 128, 0));
    painter.drawPolygon(QPolygon({QPoint(3, 26), QPoint(3, 18), QPoint(12, 11), QPoint(21, 18),
                                  QPoint(29, 15), QPoint(29, 26)}));
    painter.setBrush(QColor(128, 128, 128));
    painter.drawRect(3, 24, 26, 2);
    painter.end();
    return icon;
}

} // namespace vimbrel
