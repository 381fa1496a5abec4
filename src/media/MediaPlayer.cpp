#include "media/MediaPlayer.h"

#include "media/MpvCalls.h"
#include "media/midi/MidiStream.h"
#include "platform/FileSystem.h"
#include "platform/ProcessControl.h"
#include "platform/Screen.h"
#include "runtime/Error.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <initializer_list>
#include <mpv/client.h>
#include <thread>
#include <utility>

namespace vimbrel {

using mpvcalls::Command;
using mpvcalls::IntProperty;
using mpvcalls::kSource;

namespace {

// mpv knows the video's display size once its video output has taken the
// first frame, about 200 ms after the file is open. Should that not happen,
// the container's size stands in.
constexpr int kVideoSizeTimeoutMs = 3000;

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent, std::string audioOutput)
    : QWidget(parent), m_audioOutput(std::move(audioOutput)), m_surface(new VideoSurface(this)),
      m_idle(new QTimer(this)), m_openTimer(new QTimer(this)), m_sizeTimer(new QTimer(this)) {
    setMouseTracking(true);
    resize(0, 0);
    for (QTimer* timer : {m_idle, m_openTimer, m_sizeTimer}) {
        timer->setSingleShot(true);
    }
    m_idle->setInterval(kIdleReleaseMs);
    m_openTimer->setInterval(kOpenTimeoutMs);
    m_sizeTimer->setInterval(kVideoSizeTimeoutMs);
    connect(m_idle, &QTimer::timeout, this, &MediaPlayer::ReleaseWhenIdle);
    connect(m_openTimer, &QTimer::timeout, this, [this] {
        // The file (or the folder it is in) does not answer: a slow or hung
        // mount, no fault of the file.
        FailOpen(ErrorNumber::MediaStalled, "The media did not open in time: " + m_openingName);
    });
    connect(m_sizeTimer, &QTimer::timeout, this, [this] {
        if (m_opening == OpenStep::Sizing) {
            m_videoSize = ContainerVideoSize();
            FinishOpen();
        }
    });
}

MediaPlayer::~MediaPlayer() {
    if (m_opening == OpenStep::Loading) {
        // mpv may be stuck in the file's open(); ending the core here would
        // wait for it, and the program would not end.
        LetCoreGo();
    } else if (m_core != nullptr) {
        mpv_set_wakeup_callback(m_core.get(), nullptr, nullptr);
    }
    // The surface frees the render context; the core goes with the last
    // reference, after it.
    delete m_surface;
    m_surface = nullptr;
}

void MediaPlayer::Prepare() {
    Core();
    if (m_entries.empty() && m_opening == OpenStep::None) {
        m_idle->start();
    }
}

mpv_handle* MediaPlayer::Core() {
    if (m_core == nullptr) {
        MpvCore core;
        try {
            core = CreateMpvCore(m_audioOutput);
            RegisterMidiProtocol(core.get());
            m_surface->Attach(core);
        } catch (const Error& error) {
            // The machine's player cannot start: no file is to blame.
            throw Error(ErrorNumber::OutputUnavailable, kSource, error.description());
        }
        m_core = std::move(core);
        SetPaused(m_paused);
        // Last, so that no event arrives before the player is complete.
        mpv_set_wakeup_callback(m_core.get(), &MediaPlayer::OnMpvWakeup, this);
    }
    return m_core.get();
}

void MediaPlayer::ReleaseWhenIdle() {
    if (m_core != nullptr && m_entries.empty() && m_opening == OpenStep::None) {
        LetCoreGo();
        ReleaseMidiSynthesis();
        // The codecs' tables and mpv's threads' memory go back to the system.
        platform::ReturnFreedMemory();
    }
}

void MediaPlayer::LetCoreGo() {
    if (m_core == nullptr) {
        return;
    }
    mpv_set_wakeup_callback(m_core.get(), nullptr, nullptr);
    m_pending.clear();
    m_streamEntry = 0;
    m_entries.clear();
    m_surface->Detach();
    // Ending a core waits for its threads, one of which may be stuck in a
    // file's open(); a thread of its own does the waiting.
    std::thread([core = std::move(m_core)]() mutable { core.reset(); }).detach();
}

void MediaPlayer::OnMpvWakeup(void* context) {
    // Called on one of mpv's threads, where no mpv call is allowed: hand the
    // work to the UI thread.
    auto* player = static_cast<MediaPlayer*>(context);
    if (!player->m_drainQueued.exchange(true)) {
        QMetaObject::invokeMethod(player, &MediaPlayer::DrainEvents, Qt::QueuedConnection);
    }
}

void MediaPlayer::ScheduleDelivery() {
    if (!m_pending.empty() && !m_drainQueued.exchange(true)) {
        QMetaObject::invokeMethod(this, &MediaPlayer::DrainEvents, Qt::QueuedConnection);
    }
}

void MediaPlayer::DrainEvents() {
    m_drainQueued = false;
    if (m_core == nullptr) {
        return;
    }
    for (const mpv_event* raw = mpv_wait_event(m_core.get(), 0); raw->event_id != MPV_EVENT_NONE;
         raw = mpv_wait_event(m_core.get(), 0)) {
        PlayerEvent event;
        Pull(event, *raw);
    }
    // A handler may load other media or even delete the player; the queue
    // is read afresh after every delivery.
    const QPointer<MediaPlayer> alive(this);
    while (alive && !m_pending.empty()) {
        const PlayerEvent event = m_pending.front();
        m_pending.pop_front();
        Deliver(event);
    }
}

void MediaPlayer::Pull(PlayerEvent& event, const mpv_event& raw) {
    event = PlayerEvent{static_cast<int>(raw.event_id), m_streamEntry, 0, 0};
    switch (raw.event_id) {
    case MPV_EVENT_START_FILE:
        m_streamEntry = static_cast<const mpv_event_start_file*>(raw.data)->playlist_entry_id;
        break;
    case MPV_EVENT_END_FILE: {
        const auto* ended = static_cast<const mpv_event_end_file*>(raw.data);
        event.entry = ended->playlist_entry_id;
        event.reason = static_cast<int>(ended->reason);
        event.error = ended->error;
        m_pending.push_back(event);
        // The file's decoders and buffers are gone by now; the memory they
        // took on mpv's threads goes back to the system, or a long show would
        // hold on to the most that any one file ever needed, per thread.
        platform::ReturnFreedMemory();
        break;
    }
    case MPV_EVENT_FILE_LOADED:
    case MPV_EVENT_VIDEO_RECONFIG:
        m_pending.push_back(event);
        break;
    default:
        break;
    }
}

void MediaPlayer::Deliver(const PlayerEvent& event) {
    if (!IsLoadedEntry(event.entry)) {
        return;
    }
    switch (event.id) {
    case MPV_EVENT_FILE_LOADED:
        if (m_opening == OpenStep::Loading) {
            Opening_FileLoaded();
        } else if (m_opening == OpenStep::None) {
            emit NewStream();
        }
        break;
    case MPV_EVENT_VIDEO_RECONFIG: {
        // Read now, not when the event came: only the present size matters.
        const QSize size = ReadVideoSize();
        if (!size.isEmpty() && size != m_videoSize) {
            m_videoSize = size;
            if (m_opening == OpenStep::Sizing) {
                FinishOpen();
            } else if (m_opening == OpenStep::None) {
                ApplyDisplaySize();
            }
        }
        break;
    }
    case MPV_EVENT_END_FILE: {
        const bool last = event.entry == m_entries.back();
        const bool played =
            event.reason == MPV_END_FILE_REASON_EOF || event.reason == MPV_END_FILE_REASON_ERROR;
        if (m_opening == OpenStep::Loading) {
            // A play list moves on past entries that fail; only when the
            // last one fails has nothing opened.
            if (last && played) {
                // mpv is done with the file: its core can stay.
                m_opening = OpenStep::None;
                const int error = event.reason == MPV_END_FILE_REASON_ERROR ? event.error : 0;
                // A sound device or video output that cannot start is the
                // machine's trouble, not the file's.
                const bool output =
                    error == MPV_ERROR_AO_INIT_FAILED || error == MPV_ERROR_VO_INIT_FAILED;
                FailOpen(output              ? ErrorNumber::OutputUnavailable
                         : m_openingPlayList ? ErrorNumber::PlayListUnplayable
                                             : ErrorNumber::CannotPlayMedia,
                         "Cannot play " + m_openingName + ": " + mpv_error_string(error));
            }
            break;
        }
        if (m_opening == OpenStep::Sizing) {
            // Over before its first frame: the container's size stands in.
            m_videoSize = ContainerVideoSize();
            const uint64_t generation = m_generation;
            FinishOpen();
            if (m_generation != generation) {
                break;
            }
        }
        // Replaced or stopped media ends with reason STOP; only an entry that
        // played out, or failed, at the end of the list ends the stream.
        if (last && !m_ended && played) {
            m_ended = true;
            emit EndOfStream(event.reason == MPV_END_FILE_REASON_ERROR ? event.error : 0);
        }
        break;
    }
    default:
        break;
    }
}

bool MediaPlayer::IsLoadedEntry(int64_t entry) const {
    return std::find(m_entries.begin(), m_entries.end(), entry) != m_entries.end();
}

QSize MediaPlayer::ReadVideoSize() const {
    return {static_cast<int>(IntProperty(m_core.get(), "dwidth")),
            static_cast<int>(IntProperty(m_core.get(), "dheight"))};
}

QSize MediaPlayer::ContainerVideoSize() const {
    // The container's frame size, without the pixel aspect, is the best
    // guess left.
    return {static_cast<int>(IntProperty(m_core.get(), "current-tracks/video/demux-w")),
            static_cast<int>(IntProperty(m_core.get(), "current-tracks/video/demux-h"))};
}

void MediaPlayer::SetDisplaySize(int displaySize) {
    m_displaySize = displaySize;
    ApplyDisplaySize();
}

void MediaPlayer::ApplyDisplaySize() {
    const platform::ScreenSize screen = platform::PrimaryScreenSize();
    resize(DisplayAreaSize(m_displaySize, m_videoSize,
                           QSize(screen.widthTwips / platform::TwipsPerPixelX,
                                 screen.heightTwips / platform::TwipsPerPixelY)));
}

void MediaPlayer::SetPaused(bool paused) {
    m_paused = paused;
    if (m_core == nullptr) {
        return;
    }
    int flag = paused ? 1 : 0;
    mpv_set_property(m_core.get(), "pause", MPV_FORMAT_FLAG, &flag);
}

void MediaPlayer::Play() {
    if (m_entries.empty()) {
        return;
    }
    if (m_ended) {
        // mpv keeps the list after its end; playing again starts it over.
        m_ended = false;
        Command(m_core.get(), {"playlist-play-index", "0"});
    }
    SetPaused(false);
}

void MediaPlayer::Pause() {
    SetPaused(true);
}

void MediaPlayer::Stop() {
    SetPaused(true);
    if (m_core != nullptr) {
        Command(m_core.get(), {"seek", "0", "absolute"});
    }
}

bool MediaPlayer::IsPaused() const {
    if (m_core == nullptr) {
        return m_paused;
    }
    int flag = 0;
    mpv_get_property(m_core.get(), "pause", MPV_FORMAT_FLAG, &flag);
    return flag != 0;
}

double MediaPlayer::CurrentPosition() const {
    double seconds = 0;
    if (m_entries.empty() ||
        mpv_get_property(m_core.get(), "time-pos", MPV_FORMAT_DOUBLE, &seconds) < 0) {
        return 0;
    }
    return seconds;
}

std::string MediaPlayer::ClipTitle() const {
    if (m_entries.empty()) {
        throw Error(ErrorNumber::NoMediaInformation, kSource, "No media is loaded");
    }
    char* title = mpv_get_property_string(m_core.get(), "metadata/by-key/title");
    std::string text = title != nullptr ? title : "";
    mpv_free(title);
    if (text.empty()) {
        throw Error(ErrorNumber::NoMediaInformation, kSource, "The clip has no title");
    }
    return text;
}

int MediaPlayer::CurrentEntry() const {
    // mpv counts -1 (0 from 1) while no entry plays, after the end of a list.
    return m_entries.empty() ? 0
                             : static_cast<int>(std::max<int64_t>(
                                   IntProperty(m_core.get(), "playlist-pos-1"), 0));
}

int MediaPlayer::EntryCount() const {
    return m_entries.empty() ? 0 : static_cast<int>(IntProperty(m_core.get(), "playlist-count"));
}

void MediaPlayer::NextEntry() {
    if (!m_entries.empty()) {
        Command(m_core.get(), {"playlist-next", "weak"});
    }
}

void MediaPlayer::PreviousEntry() {
    if (!m_entries.empty()) {
        Command(m_core.get(), {"playlist-prev", "weak"});
    }
}

void MediaPlayer::mouseReleaseEvent(QMouseEvent* event) {
    // A click is a press and a release over the player, as with a button.
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) {
        emit Clicked();
    }
}

} // namespace vimbrel
