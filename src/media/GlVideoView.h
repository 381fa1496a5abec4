#pragma once

#include <QOpenGLTextureBlitter>
#include <QOpenGLWidget>
#include <QSize>

namespace vimbrel {

// Draws a video frame that mpv rendered into a texture of a GL context
// shared with the window's, straight on screen: no copy of the frame passes
// through the processor. Black while there is no frame.
class GlVideoView final : public QOpenGLWidget {
public:
    explicit GlVideoView(QWidget* parent);
    ~GlVideoView() override;
    GlVideoView(const GlVideoView&) = delete;
    GlVideoView& operator=(const GlVideoView&) = delete;

    // The texture to draw, top row first; 0 for none. Drawn at the next paint.
    void SetFrame(unsigned texture);

protected:
    void initializeGL() override;
    void paintGL() override;

private:
    QOpenGLTextureBlitter m_blitter;
    unsigned m_texture = 0;
};

} // namespace vimbrel
