#pragma once

#include "media/DisplayArea.h"
#include "media/VideoSurface.h"

#include <QSize>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace vimbrel {

// The show's media player: plays videos, sounds and play lists with libmpv
// and draws the video into itself (VideoSurface). Its width and height are
// always those of the video area, so the window can place it like a picture.
//
// mpv's core (and with it every codec) is made when the first media is
// loaded or prepared, not before: a show of pictures alone never pays for
// it. After kIdleReleaseMs with nothing loaded it is let go again.
//
// Notifications come through Qt's event loop, never from inside the call
// that caused them. Each opened file is one mpv play-list entry; an event is
// passed on only while its entry still belongs to the loaded media, so
// nothing is reported about media that has since been replaced.
class MediaPlayer : public QWidget {
    Q_OBJECT

public:
    // audioOutput: mpv's audio output ("null" plays sound silently, in real
    // time); empty takes VIMBREL_AUDIO_OUTPUT, and failing that mpv's own
    // choice, with silence where no audio device can be opened.
    explicit MediaPlayer(QWidget* parent = nullptr, std::string audioOutput = {});
    ~MediaPlayer() override;
    MediaPlayer(const MediaPlayer&) = delete;
    MediaPlayer& operator=(const MediaPlayer&) = delete;

    // How long the core stays without media before it is let go.
    static constexpr int kIdleReleaseMs = 60000;
    void SetIdleRelease(int milliseconds) { m_idle->setInterval(milliseconds); }

    // Makes the core now, so that the next media starts without waiting for
    // it (the show calls this while the picture before a video stands).
    // Raises vimbrel::Error when mpv cannot start.
    void Prepare();
    // Whether the core exists.
    bool Prepared() const { return m_core != nullptr; }

    // Opens the file, relative to the current directory, and starts playing
    // it. Returns once the file is open and, for a video, its size is known
    // and applied to the widget, so that the caller can place the player at
    // once. A file that cannot be opened raises vimbrel::Error here, leaves
    // nothing loaded and never reports NewStream or EndOfStream. "" unloads.
    void SetFileName(const std::string& name);
    // "" while nothing is loaded; the name stays after the end of the
    // stream, until the program sets another.
    const std::string& FileName() const { return m_fileName; }

    // Loads a play list, read by the caller, as mpv's play list: FileName()
    // becomes the list's name and the entries play in turn. Raises
    // vimbrel::Error when none of the entries can be opened.
    void SetPlayList(const std::string& name, const std::vector<std::string>& entries);

    void Play();
    void Pause();
    // Holds playback at the start of the entry now playing.
    void Stop();
    bool IsPaused() const;
    // Seconds into the entry now playing; 0 while nothing plays.
    double CurrentPosition() const;

    // One of DisplaySizes. Resizes the widget at once when the video's size
    // is known, and again whenever mpv reports a new video size.
    void SetDisplaySize(int displaySize);
    int DisplaySize() const { return m_displaySize; }
    // The media's own display size in pixels; empty for sound.
    QSize VideoSize() const { return m_videoSize; }

    // The clip's title from the file's metadata; raises vimbrel::Error when
    // nothing is loaded or the file has no title.
    std::string ClipTitle() const;

    // Play-list position: entries are counted from 1; 0 while nothing plays.
    int CurrentEntry() const;
    int EntryCount() const;
    void NextEntry();
    void PreviousEntry();

    VideoSurface& Surface() const { return *m_surface; }

signals:
    // The loaded media has played to its end: the last entry ended, or
    // failed (result: 0, or mpv's negative error code).
    void EndOfStream(int32_t result);
    // A newly opened stream (each entry of a play list) has started.
    void NewStream();
    void MouseMoved();
    void MouseDown();
    void Clicked();
    void DoubleClicked();

protected:
    // The surface covers the player and draws every pixel of it.
    void resizeEvent(QResizeEvent*) override { m_surface->setGeometry(rect()); }
    void mouseMoveEvent(QMouseEvent*) override { emit MouseMoved(); }
    void mousePressEvent(QMouseEvent*) override {
        m_pressed = true;
        emit MouseDown();
    }
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent*) override { emit DoubleClicked(); }

private:
    // What the player keeps of one mpv event until it is delivered: mpv's
    // own event is valid only until the next wait.
    struct PlayerEvent {
        int id = 0;
        // The play-list entry the event belongs to.
        int64_t entry = 0;
        int reason = 0;
        int error = 0;
    };

    mpv_handle* Core();
    void ReleaseWhenIdle();
    void Load(const std::string& name, const std::vector<std::string>& paths);
    void Unload();
    [[noreturn]] void FailLoad(const std::string& description,
                               int number = ErrorNumber::CannotPlayMedia);
    void WaitUntilOpened(const std::string& name);
    void WaitForVideoSize();
    bool Pull(double timeoutSeconds, PlayerEvent& event);
    static void OnMpvWakeup(void* context);
    void ScheduleDelivery();
    void DrainEvents();
    void Deliver(const PlayerEvent& event);
    bool IsLoadedEntry(int64_t entry) const;
    QSize ReadVideoSize() const;
    void ApplyDisplaySize();
    void SetPaused(bool paused);

    std::string m_audioOutput;
    MpvCore m_core;
    VideoSurface* m_surface = nullptr;
    QTimer* m_idle = nullptr;
    // The pause asked for while no core exists, which the next core takes.
    bool m_paused = false;
    std::string m_fileName;
    int m_displaySize = DisplaySizes::OwnSize;
    QSize m_videoSize;
    // mpv's ids of the loaded media's entries, in play order.
    std::vector<int64_t> m_entries;
    // The loaded media has reported its end; Play starts it again.
    bool m_ended = false;
    std::deque<PlayerEvent> m_pending;
    // The entry whose stream mpv's latest events describe: only start and
    // end of file name their entry.
    int64_t m_streamEntry = 0;
    std::atomic<bool> m_drainQueued = false;
    bool m_pressed = false;
};

} // namespace vimbrel
