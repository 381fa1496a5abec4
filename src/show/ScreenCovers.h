#pragma once

#include <QColor>
#include <QWidget>
#include <memory>
#include <vector>

namespace vimbrel {

// A plain window over one of the screens the show does not play on, in the
// shown folder's background colour. Pointer events over it count like those
// over the show.
class ScreenCover : public QWidget {
    Q_OBJECT
public:
    ScreenCover(QScreen* screen, QColor colour);

signals:
    void PointerEvent();

protected:
    void mouseMoveEvent(QMouseEvent*) override { emit PointerEvent(); }
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void mouseDoubleClickEvent(QMouseEvent*) override { emit PointerEvent(); }

private:
    bool m_pressed = false;
};

// The covers of every screen but the primary one, for the life of a show.
class ScreenCovers {
public:
    // One cover per screen other than the primary, shown at once.
    explicit ScreenCovers(QColor colour);
    ScreenCovers(const ScreenCovers&) = delete;
    ScreenCovers& operator=(const ScreenCovers&) = delete;

    void SetColour(QColor colour);
    void CloseAll();
    const std::vector<std::unique_ptr<ScreenCover>>& Covers() const { return m_covers; }

private:
    std::vector<std::unique_ptr<ScreenCover>> m_covers;
};

} // namespace vimbrel
