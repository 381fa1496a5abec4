#include "media/MediaPlayer.h"

#include "media/midi/MidiStream.h"
#include "platform/FileSystem.h"
#include "platform/ProcessControl.h"
#include "platform/Screen.h"
#include "runtime/Error.h"

#include <QMouseEvent>
#include <QPointer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <mpv/client.h>

namespace vimbrel {
namespace {

using SteadyClock = std::chrono::steady_clock;

const char kSource[] = "MediaPlayer1";

// Opening a local file takes some 50 ms here; the limit only guards against
// a file that never answers (a stalled network mount).
constexpr std::chrono::seconds kOpenTimeout{10};
// mpv knows the video's display size once its video output has taken the
// first frame, about 200 ms after the file is open. Should that not happen,
// the container's size stands in.
constexpr std::chrono::seconds kVideoSizeTimeout{3};

// mpv's command, without caring whether it succeeds: the commands used here
// fail only where there is nothing to do (no next entry, nothing to rewind).
void Command(mpv_handle* core, std::initializer_list<const char*> words) {
    std::vector<const char*> command(words);
    command.push_back(nullptr);
    mpv_command(core, command.data());
}

// A whole-number property; 0 where mpv has none.
int64_t IntProperty(mpv_handle* core, const char* name) {
    int64_t value = 0;
    if (mpv_get_property(core, name, MPV_FORMAT_INT64, &value) < 0) {
        return 0;
    }
    return value;
}

double SecondsLeft(SteadyClock::time_point deadline) {
    return std::chrono::duration<double>(deadline - SteadyClock::now()).count();
}

// The error for a file that cannot even be read, with the program's usual
// numbers (53 for a missing file); mpv would only say "loading failed".
//
// mpv would play a folder as a list of the files in it, and would wait
// forever on a pipe.
void CheckReadable(const std::string& name) {
    platform::CheckPlainFileReadable(name, kSource);
}

} // namespace

MediaPlayer::MediaPlayer(QWidget* parent, std::string audioOutput)
    : QWidget(parent), m_audioOutput(std::move(audioOutput)), m_surface(new VideoSurface(this)),
      m_idle(new QTimer(this)) {
    setMouseTracking(true);
    resize(0, 0);
    m_idle->setSingleShot(true);
    m_idle->setInterval(kIdleReleaseMs);
    connect(m_idle, &QTimer::timeout, this, &MediaPlayer::ReleaseWhenIdle);
}

MediaPlayer::~MediaPlayer() {
    if (m_core != nullptr) {
        mpv_set_wakeup_callback(m_core.get(), nullptr, nullptr);
    }
    // The surface frees the render context; the core goes with the last
    // reference, after it.
    delete m_surface;
    m_surface = nullptr;
}

void MediaPlayer::Prepare() {
    Core();
    if (m_entries.empty()) {
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
    if (m_core == nullptr || !m_entries.empty()) {
        return;
    }
    mpv_set_wakeup_callback(m_core.get(), nullptr, nullptr);
    m_pending.clear();
    m_streamEntry = 0;
    m_surface->Detach();
    m_core.reset();
    // The codecs' tables and mpv's threads' memory go back to the system.
    platform::ReturnFreedMemory();
}

void MediaPlayer::SetFileName(const std::string& name) {
    if (name.empty()) {
        Unload();
        return;
    }
    try {
        CheckReadable(name);
    } catch (const Error&) {
        // Whatever the outcome, the assignment replaces the media.
        Unload();
        throw;
    }
    const std::string path = std::filesystem::absolute(name).string();
    if (IsMidiFileName(name)) {
        try {
            CheckMidiFile(path);
        } catch (const Error& error) {
            // Without a sound font no MIDI file can play: that error says
            // so (OutputUnavailable), the others blame the file.
            Unload();
            throw Error(error.number(), kSource, error.description());
        }
    }
    Load(name, {path});
}

void MediaPlayer::SetPlayList(const std::string& name, const std::vector<std::string>& entries) {
    if (entries.empty()) {
        Unload();
        throw Error(ErrorNumber::CannotPlayMedia, kSource, "The play list is empty: " + name);
    }
    std::vector<std::string> paths;
    paths.reserve(entries.size());
    for (const std::string& entry : entries) {
        // Absolute now: the show may change the current folder while the
        // list plays.
        paths.push_back(std::filesystem::absolute(entry).string());
    }
    Load(name, paths);
}

void MediaPlayer::Unload() {
    m_entries.clear();
    m_fileName.clear();
    m_ended = false;
    m_videoSize = QSize();
    if (m_core != nullptr) {
        Command(m_core.get(), {"stop"});
        m_idle->start();
    }
    m_surface->Clear();
}

void MediaPlayer::Load(const std::string& name, const std::vector<std::string>& paths) {
    Unload();
    Core();
    m_idle->stop();
    // Pause carries over from one file to the next in mpv; a file assigned
    // here always starts playing.
    SetPaused(false);
    for (std::size_t index = 0; index < paths.size(); ++index) {
        // MIDI files are synthesized as mpv reads them.
        const std::string address =
            IsMidiFileName(paths[index]) ? MidiStreamAddress(paths[index]) : paths[index];
        // Appended while idle, nothing plays yet: a long list takes a while
        // to hand over, and its first entry must not run meanwhile.
        const char* load[] = {"loadfile", address.c_str(), "append", nullptr};
        mpv_node result{};
        const int status = mpv_command_ret(m_core.get(), load, &result);
        if (status < 0) {
            FailLoad(std::string(mpv_error_string(status)) + ": " + name);
        }
        if (result.format == MPV_FORMAT_NODE_MAP) {
            for (int key = 0; key < result.u.list->num; ++key) {
                if (std::string_view(result.u.list->keys[key]) == "playlist_entry_id") {
                    m_entries.push_back(result.u.list->values[key].u.int64);
                }
            }
        }
        mpv_free_node_contents(&result);
    }
    if (m_entries.size() != paths.size()) {
        FailLoad("The media player did not take the file: " + name);
    }
    Command(m_core.get(), {"playlist-play-index", "0"});
    WaitUntilOpened(name);
    m_fileName = name;
    char* video = mpv_get_property_string(m_core.get(), "current-tracks/video/id");
    const bool hasVideo = video != nullptr;
    mpv_free(video);
    if (hasVideo) {
        WaitForVideoSize();
    }
    ApplyDisplaySize();
    // What came in during the waits is reported from the event loop, after
    // the caller has placed the player.
    ScheduleDelivery();
}

void MediaPlayer::FailLoad(const std::string& description, int number) {
    // The entries are forgotten first, so that the events of the failed
    // load already taken from mpv are never reported.
    Unload();
    ScheduleDelivery();
    throw Error(number, kSource, description);
}

void MediaPlayer::WaitUntilOpened(const std::string& name) {
    const auto deadline = SteadyClock::now() + kOpenTimeout;
    PlayerEvent event;
    for (;;) {
        const double left = SecondsLeft(deadline);
        if (left <= 0) {
            FailLoad("The media did not open in time: " + name);
        }
        if (!Pull(left, event) || !IsLoadedEntry(event.entry)) {
            continue;
        }
        if (event.id == MPV_EVENT_FILE_LOADED) {
            return;
        }
        // A play list moves on past entries that fail; only when the last
        // one fails has nothing opened.
        if (event.id == MPV_EVENT_END_FILE && event.entry == m_entries.back()) {
            const int error = event.reason == MPV_END_FILE_REASON_ERROR ? event.error : 0;
            // A sound device or video output that cannot start is the
            // machine's trouble, not the file's.
            const bool output =
                error == MPV_ERROR_AO_INIT_FAILED || error == MPV_ERROR_VO_INIT_FAILED;
            FailLoad("Cannot play " + name + ": " + mpv_error_string(error),
                     output ? ErrorNumber::OutputUnavailable : ErrorNumber::CannotPlayMedia);
        }
    }
}

void MediaPlayer::WaitForVideoSize() {
    const auto deadline = SteadyClock::now() + kVideoSizeTimeout;
    PlayerEvent event;
    for (double left = SecondsLeft(deadline); left > 0; left = SecondsLeft(deadline)) {
        if (!Pull(left, event) || !IsLoadedEntry(event.entry)) {
            continue;
        }
        if (event.id == MPV_EVENT_VIDEO_RECONFIG) {
            m_videoSize = ReadVideoSize();
            if (!m_videoSize.isEmpty()) {
                return;
            }
        } else if (event.id == MPV_EVENT_END_FILE) {
            break;
        }
    }
    // The container's frame size, without the pixel aspect, is the best
    // guess left.
    m_videoSize =
        QSize(static_cast<int>(IntProperty(m_core.get(), "current-tracks/video/demux-w")),
              static_cast<int>(IntProperty(m_core.get(), "current-tracks/video/demux-h")));
}

bool MediaPlayer::Pull(double timeoutSeconds, PlayerEvent& event) {
    if (m_core == nullptr) {
        return false;
    }
    const mpv_event* raw = mpv_wait_event(m_core.get(), timeoutSeconds);
    if (raw->event_id == MPV_EVENT_NONE) {
        return false;
    }
    event = PlayerEvent{static_cast<int>(raw->event_id), m_streamEntry, 0, 0};
    switch (raw->event_id) {
    case MPV_EVENT_START_FILE:
        m_streamEntry = static_cast<const mpv_event_start_file*>(raw->data)->playlist_entry_id;
        event.entry = m_streamEntry;
        break;
    case MPV_EVENT_END_FILE: {
        const auto* ended = static_cast<const mpv_event_end_file*>(raw->data);
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
    return true;
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
    PlayerEvent event;
    while (Pull(0, event)) {
    }
    // A handler may load other media (taking more events from mpv) or even
    // delete the player; the queue is read afresh after every delivery.
    const QPointer<MediaPlayer> alive(this);
    while (alive && !m_pending.empty()) {
        event = m_pending.front();
        m_pending.pop_front();
        Deliver(event);
    }
}

void MediaPlayer::Deliver(const PlayerEvent& event) {
    if (!IsLoadedEntry(event.entry)) {
        return;
    }
    switch (event.id) {
    case MPV_EVENT_FILE_LOADED:
        emit NewStream();
        break;
    case MPV_EVENT_VIDEO_RECONFIG: {
        // Read now, not when the event came: only the present size matters.
        const QSize size = ReadVideoSize();
        if (!size.isEmpty() && size != m_videoSize) {
            m_videoSize = size;
            ApplyDisplaySize();
        }
        break;
    }
    case MPV_EVENT_END_FILE:
        // Replaced or stopped media ends with reason STOP; only an entry that
        // played out, or failed, at the end of the list ends the stream.
        if (event.entry == m_entries.back() && !m_ended &&
            (event.reason == MPV_END_FILE_REASON_EOF ||
             event.reason == MPV_END_FILE_REASON_ERROR)) {
            m_ended = true;
            emit EndOfStream(event.reason == MPV_END_FILE_REASON_ERROR ? event.error : 0);
        }
        break;
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
