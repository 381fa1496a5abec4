#pragma once

#include "media/MpvCore.h"
#include "runtime/Error.h"

#include <QImage>
#include <QWidget>
#include <atomic>
#include <memory>
#include <string>

struct mpv_handle;

namespace vimbrel {

class GlVideoView;

// Draws the video of an mpv core into a widget through mpv's render API.
//
// Two ways of drawing exist:
// - OpenGL, where the machine has a graphics processor that its OpenGL draws
//   on (or VIMBREL_VIDEO_OUTPUT=opengl asks for it): mpv renders into a
//   texture of a GL context of our own (on an offscreen surface, so it
//   exists before the widget is ever shown, which mpv needs: video output
//   fails for files opened before the render context exists), shared with
//   the window's, and a GlVideoView draws that texture on screen. No frame
//   comes back to the processor.
// - Software: mpv renders into a picture in memory, which is painted like
//   any picture. Works everywhere, including headless on the offscreen
//   platform, and is the cheapest way where OpenGL would be software too.
// VIMBREL_VIDEO_OUTPUT=software forces software.
//
// All rendering happens on the UI thread: mpv's update callback only posts a
// queued call, and a render never waits for the frame's display time.
class VideoSurface : public QWidget {
    Q_OBJECT

public:
    enum class RenderPath { Software, OpenGL };

    explicit VideoSurface(QWidget* parent);
    ~VideoSurface() override;
    VideoSurface(const VideoSurface&) = delete;
    VideoSurface& operator=(const VideoSurface&) = delete;

    // Creates the render context for the core, replacing any earlier one.
    // Must happen before any file is opened. Raises vimbrel::Error when
    // neither way of drawing works.
    void Attach(MpvCore core);
    // Frees the render context and lets the core go; the frame goes too.
    void Detach();

    // How the attached core's video is drawn; Software while none is.
    RenderPath Path() const;

    // The last frame drawn in software, at the widget's size in device
    // pixels; null while nothing has been drawn since the last Clear, and
    // always where OpenGL draws.
    const QImage& Frame() const { return m_frame; }

    // Forgets the frame, so that the next media does not start with the
    // last picture of the one before.
    void Clear();

    class Renderer;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static void OnMpvUpdate(void* context);
    void RenderPending();
    void RequestRender();

    // Declared first so it is released last, after the renderer.
    MpvCore m_core;
    std::unique_ptr<Renderer> m_renderer;
    QImage m_frame;
    // Set while a queued render is on its way, so that a burst of mpv
    // updates costs one render.
    std::atomic<bool> m_renderQueued = false;
    // A resize or show needs a redraw even when mpv has no new frame.
    bool m_redrawWanted = false;
    // Where OpenGL draws the frames: the view that puts them on screen.
    GlVideoView* m_view = nullptr;
};

} // namespace vimbrel
