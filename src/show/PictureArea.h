#pragma once

#include <QImage>
#include <QWidget>

namespace vimbrel {

// Image1 of the show window: shows its picture at its own size, stretched
// to the area when stretching is on. Pointer events on it end the show as
// those on the window do.
class PictureArea : public QWidget {
    Q_OBJECT
public:
    explicit PictureArea(QWidget* parent);

    void SetPicture(QImage picture);
    const QImage& Picture() const { return m_picture; }
    void SetStretch(bool stretch) { m_stretch = stretch; }

signals:
    void PointerEvent();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QImage m_picture;
    bool m_stretch = false;
    bool m_pressed = false;
};

} // namespace vimbrel
