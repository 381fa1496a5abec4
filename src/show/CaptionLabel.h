#pragma once

#include <QLabel>
#include <string>
#include <string_view>

namespace vimbrel {

// How a caption's text reads on screen: a single "&" is a marker that is
// not shown and underlines the character after it, "&&" shows one "&".
// The result is rich text, with everything else escaped.
QString CaptionRichText(std::string_view text);

// The caption under (or over) the shown item: Label1 of the show window.
// It keeps the text as the show set it, marker ampersands included.
class CaptionLabel : public QLabel {
public:
    explicit CaptionLabel(QWidget* parent);
    void SetCaption(const std::string& text);
    const std::string& Caption() const { return m_caption; }

protected:
    // Pointer events over the caption never count towards ending the show:
    // the label keeps them from reaching the window beneath.
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    std::string m_caption;
};

} // namespace vimbrel
