#include "media/GlVideoView.h"

#include <QOpenGLContext>
#include <QOpenGLFunctions>

namespace vimbrel {

GlVideoView::GlVideoView(QWidget* parent) : QOpenGLWidget(parent) {
    // Pointer input belongs to the player around the view.
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

GlVideoView::~GlVideoView() {
    if (m_blitter.isCreated()) {
        makeCurrent();
        m_blitter.destroy();
        doneCurrent();
    }
}

void GlVideoView::SetFrame(unsigned texture) {
    m_texture = texture;
    update();
}

void GlVideoView::initializeGL() {
    m_blitter.create();
}

void GlVideoView::paintGL() {
    QOpenGLFunctions* gl = context()->functions();
    gl->glClearColor(0, 0, 0, 1);
    gl->glClear(GL_COLOR_BUFFER_BIT);
    if (m_texture == 0 || !m_blitter.isCreated()) {
        return;
    }
    // The frame fills the view: the renderer drew it at the view's size.
    m_blitter.bind();
    m_blitter.blit(m_texture, QMatrix4x4(), QOpenGLTextureBlitter::OriginTopLeft);
    m_blitter.release();
}

} // namespace vimbrel
