#include "media/VideoSurface.h"

#include "media/GlVideoView.h"
#include "platform/UserChoices.h"
#include "runtime/Error.h"

#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>
#include <QPainter>
#include <QSysInfo>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <mpv/client.h>
#include <mpv/render.h>
#include <mpv/render_gl.h>

namespace vimbrel {

// One way of drawing: owns mpv's render context and turns frames into
// pictures. Every call happens on the UI thread.
//
// No render call waits for the frame's display time
// (MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME = 0): the UI thread renders, and a
// frame shown a few milliseconds early does no harm here.
class VideoSurface::Renderer {
public:
    virtual ~Renderer() = default;
    virtual RenderPath Path() const = 0;
    virtual void SetUpdateCallback(mpv_render_update_fn callback, void* context) = 0;
    // Tells mpv that its update callback was seen; returns mpv's update flags.
    virtual uint64_t Update() = 0;
    // Draws the current frame at the size given, in device pixels: into
    // target, or for OpenGL into Texture().
    virtual void Render(QSize size, QImage& target) = 0;
    virtual unsigned Texture() const { return 0; }
    // Takes the due frame without drawing it: mpv's video clock waits for
    // each frame to be taken, so a hidden player must still take them or its
    // video would crawl.
    virtual void Skip() = 0;
};

namespace {

const char kSource[] = "MediaPlayer1";

// Takes the due frame without drawing it (see Renderer::Skip).
void SkipFrame(mpv_render_context* context) {
    int skip = 1;
    int noBlocking = 0;
    mpv_render_param params[] = {{MPV_RENDER_PARAM_SKIP_RENDERING, &skip},
                                 {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noBlocking},
                                 {MPV_RENDER_PARAM_INVALID, nullptr}};
    mpv_render_context_render(context, params);
}

class SoftwareRenderer final : public VideoSurface::Renderer {
public:
    explicit SoftwareRenderer(mpv_handle* core) {
        char api[] = MPV_RENDER_API_TYPE_SW;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        const int status = mpv_render_context_create(&m_context, core, params);
        if (status < 0) {
            throw Error(ErrorNumber::DeviceIoError, kSource,
                        std::string("Cannot draw video: ") + mpv_error_string(status));
        }
    }
    ~SoftwareRenderer() override {
        mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
        mpv_render_context_free(m_context);
    }
    SoftwareRenderer(const SoftwareRenderer&) = delete;
    SoftwareRenderer& operator=(const SoftwareRenderer&) = delete;

    VideoSurface::RenderPath Path() const override { return VideoSurface::RenderPath::Software; }
    void SetUpdateCallback(mpv_render_update_fn callback, void* context) override {
        mpv_render_context_set_update_callback(m_context, callback, context);
    }
    uint64_t Update() override { return mpv_render_context_update(m_context); }

    void Render(QSize size, QImage& target) override {
        if (target.size() != size || target.format() != QImage::Format_RGB32) {
            target = AlignedImage(size);
        }
        // bits() first: it may detach, and the stride is that of the result.
        void* pixels = target.bits();
        std::size_t stride = static_cast<std::size_t>(target.bytesPerLine());
        int dimensions[2] = {size.width(), size.height()};
        // QImage's RGB32 (0xffRRGGBB in a 32-bit word), the window's own
        // format: painting the frame is then a plain copy, with no conversion
        // of every pixel. In memory its bytes are B, G, R, unused on a
        // little-endian machine.
        char format[] = "bgr0";
        if (QSysInfo::ByteOrder == QSysInfo::BigEndian) {
            std::memcpy(format, "0rgb", sizeof format);
        }
        int noBlocking = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_SW_SIZE, dimensions},
                                     {MPV_RENDER_PARAM_SW_FORMAT, format},
                                     {MPV_RENDER_PARAM_SW_STRIDE, &stride},
                                     {MPV_RENDER_PARAM_SW_POINTER, pixels},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noBlocking},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(m_context, params);
    }

    void Skip() override { SkipFrame(m_context); }

private:
    // mpv's scalers take their fast path only with rows that start on
    // 64-byte boundaries; anything less makes it copy the whole frame.
    static QImage AlignedImage(QSize size) {
        constexpr std::size_t alignment = 64;
        const std::size_t row = static_cast<std::size_t>(size.width()) * 4;
        const std::size_t stride = (row + alignment - 1) / alignment * alignment;
        void* buffer =
            std::aligned_alloc(alignment, stride * static_cast<std::size_t>(size.height()));
        if (buffer == nullptr) {
            return QImage(size, QImage::Format_RGB32);
        }
        QImage image(static_cast<uchar*>(buffer), size.width(), size.height(),
                     static_cast<qsizetype>(stride), QImage::Format_RGB32, &std::free, buffer);
        image.fill(Qt::black);
        return image;
    }

    mpv_render_context* m_context = nullptr;
};

class GlRenderer final : public VideoSurface::Renderer {
public:
    // A renderer when this platform gives us an OpenGL context and mpv
    // accepts it; nullptr otherwise.
    static std::unique_ptr<GlRenderer> TryCreate(mpv_handle* core) {
        auto renderer = std::unique_ptr<GlRenderer>(new GlRenderer());
        return renderer->Initialise(core) ? std::move(renderer) : nullptr;
    }

    // Whether this machine's OpenGL draws on a graphics processor (Mesa's
    // rasterizers on the processor, as under a virtual X server, do not):
    // found once, with a context of its own.
    static bool Hardware() {
        static const bool hardware = [] {
            QOffscreenSurface surface;
            surface.create();
            QOpenGLContext gl;
            if (!surface.isValid() || !gl.create() || !gl.makeCurrent(&surface)) {
                return false;
            }
            const auto* name =
                reinterpret_cast<const char*>(gl.functions()->glGetString(GL_RENDERER));
            const std::string renderer = name != nullptr ? name : "";
            gl.doneCurrent();
            return !renderer.empty() && renderer.find("llvmpipe") == std::string::npos &&
                   renderer.find("softpipe") == std::string::npos &&
                   renderer.find("swrast") == std::string::npos;
        }();
        return hardware;
    }

    ~GlRenderer() override {
        if (m_context != nullptr) {
            mpv_render_context_set_update_callback(m_context, nullptr, nullptr);
            // mpv frees its GL objects, so our context must be current.
            m_gl.makeCurrent(&m_surface);
            mpv_render_context_free(m_context);
            m_framebuffer.reset();
            m_gl.doneCurrent();
        }
    }
    GlRenderer(const GlRenderer&) = delete;
    GlRenderer& operator=(const GlRenderer&) = delete;

    VideoSurface::RenderPath Path() const override { return VideoSurface::RenderPath::OpenGL; }
    void SetUpdateCallback(mpv_render_update_fn callback, void* context) override {
        mpv_render_context_set_update_callback(m_context, callback, context);
    }
    uint64_t Update() override {
        m_gl.makeCurrent(&m_surface);
        const uint64_t flags = mpv_render_context_update(m_context);
        m_gl.doneCurrent();
        return flags;
    }

    void Render(QSize size, QImage& target) override {
        if (!m_gl.makeCurrent(&m_surface)) {
            return;
        }
        if (m_framebuffer == nullptr || m_framebuffer->size() != size) {
            m_framebuffer = std::make_unique<QOpenGLFramebufferObject>(size);
        }
        mpv_opengl_fbo framebuffer{static_cast<int>(m_framebuffer->handle()), size.width(),
                                   size.height(), 0};
        // Unflipped, mpv puts the picture's top row first in memory; the
        // view draws the texture so.
        int flip = 0;
        int noBlocking = 0;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_OPENGL_FBO, &framebuffer},
                                     {MPV_RENDER_PARAM_FLIP_Y, &flip},
                                     {MPV_RENDER_PARAM_BLOCK_FOR_TARGET_TIME, &noBlocking},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        mpv_render_context_render(m_context, params);
        // The window's context draws the texture next: it must be complete.
        // Nothing comes back to the processor.
        m_gl.functions()->glFinish();
        m_gl.doneCurrent();
        target = QImage();
    }

    unsigned Texture() const override {
        return m_framebuffer != nullptr ? m_framebuffer->texture() : 0;
    }

    void Skip() override {
        if (!m_gl.makeCurrent(&m_surface)) {
            return;
        }
        SkipFrame(m_context);
        m_gl.doneCurrent();
    }

private:
    GlRenderer() = default;

    bool Initialise(mpv_handle* core) {
        m_surface.create();
        // Shared with the window's context, which draws the texture.
        m_gl.setShareContext(QOpenGLContext::globalShareContext());
        if (!m_surface.isValid() || !m_gl.create() || !m_gl.makeCurrent(&m_surface)) {
            return false;
        }
        mpv_opengl_init_params init{&GlRenderer::ProcAddress, &m_gl};
        char api[] = MPV_RENDER_API_TYPE_OPENGL;
        mpv_render_param params[] = {{MPV_RENDER_PARAM_API_TYPE, api},
                                     {MPV_RENDER_PARAM_OPENGL_INIT_PARAMS, &init},
                                     {MPV_RENDER_PARAM_INVALID, nullptr}};
        const int status = mpv_render_context_create(&m_context, core, params);
        m_gl.doneCurrent();
        if (status < 0) {
            m_context = nullptr;
            return false;
        }
        return true;
    }

    static void* ProcAddress(void* context, const char* name) {
        return reinterpret_cast<void*>(static_cast<QOpenGLContext*>(context)->getProcAddress(name));
    }

    QOffscreenSurface m_surface;
    QOpenGLContext m_gl;
    std::unique_ptr<QOpenGLFramebufferObject> m_framebuffer;
    mpv_render_context* m_context = nullptr;
};

// OpenGL where the user asks for it, or where the machine has a graphics
// processor that its OpenGL draws on; software otherwise, which is also the
// cheapest way where OpenGL would be software too.
bool OpenGlWanted() {
    return platform::OpenGlVideoPossible() &&
           (platform::OpenGlVideoChosen() || GlRenderer::Hardware());
}

std::unique_ptr<VideoSurface::Renderer> MakeRenderer(mpv_handle* core, bool openGl) {
    if (openGl) {
        if (auto renderer = GlRenderer::TryCreate(core)) {
            return renderer;
        }
    }
    return std::make_unique<SoftwareRenderer>(core);
}

} // namespace

VideoSurface::VideoSurface(QWidget* parent) : QWidget(parent) {
    // Pointer input belongs to the player around the surface.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Made with the window, before it is first shown, so that the window is
    // made for OpenGL from the start.
    if (OpenGlWanted()) {
        m_view = new GlVideoView(this);
    }
}

VideoSurface::~VideoSurface() {
    Detach();
}

void VideoSurface::Attach(MpvCore core) {
    Detach();
    m_renderer = MakeRenderer(core.get(), m_view != nullptr);
    if (m_view != nullptr && m_renderer->Path() != RenderPath::OpenGL) {
        // OpenGL would not take mpv's frames: drawn in software after all.
        delete m_view;
        m_view = nullptr;
    }
    m_core = std::move(core);
    m_renderer->SetUpdateCallback(&VideoSurface::OnMpvUpdate, this);
}

void VideoSurface::Detach() {
    // The render context goes while the core is certainly alive.
    m_renderer.reset();
    m_core.reset();
    Clear();
}

VideoSurface::RenderPath VideoSurface::Path() const {
    return m_renderer != nullptr ? m_renderer->Path() : RenderPath::Software;
}

void VideoSurface::Clear() {
    m_frame = QImage();
    if (m_view != nullptr) {
        m_view->SetFrame(0);
    }
    update();
}

void VideoSurface::OnMpvUpdate(void* context) {
    // Called on one of mpv's threads, where no mpv call is allowed: hand the
    // work to the UI thread.
    auto* surface = static_cast<VideoSurface*>(context);
    if (!surface->m_renderQueued.exchange(true)) {
        QMetaObject::invokeMethod(surface, &VideoSurface::RenderPending, Qt::QueuedConnection);
    }
}

void VideoSurface::RequestRender() {
    m_redrawWanted = true;
    if (!m_renderQueued.exchange(true)) {
        QMetaObject::invokeMethod(this, &VideoSurface::RenderPending, Qt::QueuedConnection);
    }
}

void VideoSurface::RenderPending() {
    m_renderQueued = false;
    if (m_renderer == nullptr) {
        return;
    }
    const bool frameDue = (m_renderer->Update() & MPV_RENDER_UPDATE_FRAME) != 0;
    if (!frameDue && !m_redrawWanted) {
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * ratio).toSize();
    if (!isVisible() || pixels.isEmpty()) {
        // The redraw waits for the show event that will ask for it again.
        if (frameDue) {
            m_renderer->Skip();
        }
        return;
    }
    m_redrawWanted = false;
    m_renderer->Render(pixels, m_frame);
    if (m_view != nullptr) {
        m_view->SetFrame(m_renderer->Texture());
        return;
    }
    m_frame.setDevicePixelRatio(ratio);
    update();
}

void VideoSurface::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (m_frame.isNull()) {
        painter.fillRect(rect(), Qt::black);
        return;
    }
    // Right after a resize the frame may still have the old size until the
    // queued render catches up; stretching it beats a flash of background.
    painter.drawImage(rect(), m_frame);
}

void VideoSurface::resizeEvent(QResizeEvent*) {
    if (m_view != nullptr) {
        m_view->setGeometry(rect());
    }
    RequestRender();
}

void VideoSurface::showEvent(QShowEvent*) {
    RequestRender();
}

} // namespace vimbrel
