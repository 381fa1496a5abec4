#pragma once

#include "media/DisplayArea.h"
#include "media/VideoSurface.h"

#include <QSize>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

struct mpv_event;

namespace vimbrel {

// The show's media player: plays videos, sounds and play lists with libmpv
// and draws the video into itself (VideoSurface). Its width and height are
// always those of the video area, so the window can place it like a picture.
//
// mpv's core (and with it every codec) is made when the first media is
// loaded or prepared, not before: a show of pictures alone never pays for
// it. After kIdleReleaseMs with nothing loaded it is let go again, with the
// spare MIDI synthesizer.
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
    // it, without waiting for the file: checking it, opening it and finding
    // a video's size happen off the UI thread. Opened comes once the media
    // plays and, for a video, its size is known and applied to the widget,
    // so that the window can place the player; OpenFailed when it cannot be
    // opened, leaving nothing loaded. One of the two comes for each open,
    // unless other media replaces it first; NewStream and EndOfStream never
    // come before Opened. "" unloads at once.
    void SetFileName(const std::string& name);
    // "" while nothing is loaded or opening; the name stays after the end
    // of the stream, until the program sets another.
    const std::string& FileName() const { return m_fileName; }

    // Opens the play list at listPath (relative to the current directory),
    // read off the UI thread, as mpv's play list: FileName() becomes name
    // and the entries play in turn. OpenFailed comes with the list file's
    // own error when it cannot be read, CannotPlayMedia when it names no
    // file, and PlayListUnplayable when none of its entries can be played.
    void SetPlayList(const std::string& name, const std::string& listPath);

    // Whether an open is under way (neither Opened nor OpenFailed has come).
    bool Opening() const { return m_opening != OpenStep::None; }

    // How long an open may take before the media is passed over as stalled
    // (MediaStalled: a hung network mount, no fault of the file).
    static constexpr int kOpenTimeoutMs = 10000;
    void SetOpenTimeout(int milliseconds) { m_openTimer->setInterval(milliseconds); }

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
    // The media opened by SetFileName or SetPlayList plays.
    void Opened();
    // It cannot be opened: an ErrorNumber, and what went wrong.
    void OpenFailed(int number, const QString& description);
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

    // What the check off the UI thread found: the paths mpv is to play, or
    // the error that stops the open.
    struct Checked {
        std::vector<std::string> paths;
        int errorNumber = 0;
        std::string description;
    };
    enum class OpenStep { None, Checking, Loading, Sizing };

    mpv_handle* Core();
    void ReleaseWhenIdle();
    void LetCoreGo();
    void Unload();
    void CheckOffTheUiThread(std::function<Checked()> check);
    void Load(const Checked& checked);
    void Opening_FileLoaded();
    void FinishOpen();
    void FailOpen(int number, const std::string& description);
    static void OnMpvWakeup(void* context);
    void ScheduleDelivery();
    void DrainEvents();
    void Pull(PlayerEvent& event, const mpv_event& raw);
    void Deliver(const PlayerEvent& event);
    bool IsLoadedEntry(int64_t entry) const;
    QSize ReadVideoSize() const;
    QSize ContainerVideoSize() const;
    void ApplyDisplaySize();
    void SetPaused(bool paused);

    std::string m_audioOutput;
    MpvCore m_core;
    VideoSurface* m_surface = nullptr;
    QTimer* m_idle = nullptr;
    // The open under way, its name (FileName() once it plays), and the
    // number of opens and unloads so far, which tells a check's late result
    // whether it still belongs to the media asked for.
    OpenStep m_opening = OpenStep::None;
    std::string m_openingName;
    uint64_t m_generation = 0;
    QTimer* m_openTimer = nullptr;
    // mpv's display size comes with the first frame; should it not come in
    // time, the container's frame size stands in.
    QTimer* m_sizeTimer = nullptr;
    // Whether the play list being opened is one (its failure is then
    // PlayListUnplayable).
    bool m_openingPlayList = false;
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
