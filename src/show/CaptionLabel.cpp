#include "show/CaptionLabel.h"

#include <QMouseEvent>

namespace vimbrel {

QString CaptionRichText(std::string_view text) {
    QString html;
    const QString decoded = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    bool underlineNext = false;
    for (qsizetype i = 0; i < decoded.size(); ++i) {
        const QChar c = decoded[i];
        if (c == u'&' && !underlineNext) {
            if (i + 1 < decoded.size() && decoded[i + 1] == u'&') {
                html += QStringLiteral("&amp;");
                ++i;
            } else {
                underlineNext = true;
            }
            continue;
        }
        const QString escaped = QString(c).toHtmlEscaped();
        html += underlineNext ? QStringLiteral("<u>") + escaped + QStringLiteral("</u>") : escaped;
        underlineNext = false;
    }
    return html;
}

CaptionLabel::CaptionLabel(QWidget* parent) : QLabel(parent) {
    setObjectName("Label1");
    setTextFormat(Qt::RichText);
    setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setStyleSheet("QLabel { color: white; background: transparent; }");
    QFont captionFont = font();
    captionFont.setPixelSize(16);
    setFont(captionFont);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation, true);
}

void CaptionLabel::mousePressEvent(QMouseEvent* event) {
    event->accept();
}
void CaptionLabel::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}
void CaptionLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
}
void CaptionLabel::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CaptionLabel::SetCaption(const std::string& text) {
    m_caption = text;
    setText(CaptionRichText(text));
}

} // namespace vimbrel
