// The media player's open: the file's check (or the play list's reading)
// off the UI thread, the hand-over to mpv, and the notifications that end
// it (Opened, OpenFailed).

#include "media/MediaPlayer.h"
#include "media/MpvCalls.h"
#include "media/midi/MidiStream.h"
#include "platform/FileSystem.h"
#include "playlists/PlayListFile.h"
#include "runtime/Error.h"
#include "runtime/OffTheUiThread.h"

#include <QPointer>
#include <filesystem>
#include <utility>

namespace vimbrel {

using mpvcalls::Command;
using mpvcalls::kSource;

namespace {

// The path as the current folder makes it now: the show may change folders
// before the check off the UI thread runs.
std::string Absolute(const std::filesystem::path& base, const std::string& name) {
    const std::filesystem::path path(name);
    return (path.is_absolute() ? path : base / path).lexically_normal().string();
}

} // namespace

void MediaPlayer::SetFileName(const std::string& name) {
    Unload();
    if (name.empty()) {
        return;
    }
    m_openingName = name;
    const std::filesystem::path base = std::filesystem::current_path();
    CheckOffTheUiThread([name, base] {
        const std::string path = Absolute(base, name);
        // The program's usual numbers (53 for a missing file) rather than
        // mpv's "loading failed"; mpv would also play a folder as a list of
        // its files, and wait forever on a pipe.
        platform::CheckPlainFileReadable(path, kSource);
        if (IsMidiFileName(name)) {
            // Without a sound font no MIDI file can play: that error says
            // so (OutputUnavailable), the others blame the file.
            CheckMidiFile(path);
        }
        return Checked{{path}, 0, {}};
    });
}

void MediaPlayer::SetPlayList(const std::string& name, const std::string& listPath) {
    Unload();
    m_openingName = name;
    m_openingPlayList = true;
    const std::filesystem::path base = std::filesystem::current_path();
    CheckOffTheUiThread([name, listPath, base] {
        const std::vector<std::string> entries = ReadPlayListFile(Absolute(base, listPath));
        if (entries.empty()) {
            return Checked{{}, ErrorNumber::CannotPlayMedia, "The play list is empty: " + name};
        }
        Checked checked;
        for (const std::string& entry : entries) {
            // Absolute now: the show may change the current folder while the
            // list plays.
            checked.paths.push_back(Absolute(base, entry));
        }
        return checked;
    });
}

void MediaPlayer::CheckOffTheUiThread(std::function<Checked()> check) {
    // Pause carries over from one file to the next in mpv; media assigned
    // here always starts playing, unless paused before it opens.
    SetPaused(false);
    m_opening = OpenStep::Checking;
    m_openTimer->start();
    const uint64_t generation = m_generation;
    QPointer<MediaPlayer> player(this);
    RunOffTheUiThread<Checked>(
        std::move(check),
        [player, generation](Checked checked) {
            // Only the media still asked for is loaded.
            if (player != nullptr && player->m_generation == generation &&
                player->m_opening == OpenStep::Checking) {
                player->Load(checked);
            }
        },
        [](const std::exception& failure) {
            if (const auto* error = dynamic_cast<const Error*>(&failure)) {
                return Checked{{}, error->number(), error->description()};
            }
            // The program's own trouble: the file is not to blame.
            return Checked{{}, ErrorNumber::InternalError, failure.what()};
        });
}

void MediaPlayer::Unload() {
    ++m_generation;
    m_openingPlayList = false;
    m_openingName.clear();
    m_openTimer->stop();
    m_sizeTimer->stop();
    m_entries.clear();
    m_fileName.clear();
    m_ended = false;
    m_videoSize = QSize();
    if (std::exchange(m_opening, OpenStep::None) == OpenStep::Loading) {
        // mpv may be stuck in the file's open(), and would hold the next
        // media back until it returns: the next media gets a core of its own.
        LetCoreGo();
    } else if (m_core != nullptr) {
        Command(m_core.get(), {"stop"});
        m_idle->start();
    }
    m_surface->Clear();
}

void MediaPlayer::Load(const Checked& checked) {
    if (checked.errorNumber != 0) {
        FailOpen(checked.errorNumber, checked.description);
        return;
    }
    try {
        Core();
    } catch (const Error& error) {
        FailOpen(error.number(), error.description());
        return;
    }
    m_idle->stop();
    m_opening = OpenStep::Loading;
    for (const std::string& path : checked.paths) {
        // MIDI files are synthesized as mpv reads them.
        const std::string address = IsMidiFileName(path) ? MidiStreamAddress(path) : path;
        // Appended while idle, nothing plays yet: a long list takes a while
        // to hand over, and its first entry must not run meanwhile.
        const char* load[] = {"loadfile", address.c_str(), "append", nullptr};
        mpv_node result{};
        const int status = mpv_command_ret(m_core.get(), load, &result);
        if (status < 0) {
            m_opening = OpenStep::None;
            FailOpen(ErrorNumber::CannotPlayMedia,
                     std::string(mpv_error_string(status)) + ": " + m_openingName);
            return;
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
    if (m_entries.size() != checked.paths.size()) {
        m_opening = OpenStep::None;
        FailOpen(ErrorNumber::CannotPlayMedia,
                 "The media player did not take the file: " + m_openingName);
        return;
    }
    Command(m_core.get(), {"playlist-play-index", "0"});
}

void MediaPlayer::Opening_FileLoaded() {
    char* video = mpv_get_property_string(m_core.get(), "current-tracks/video/id");
    const bool hasVideo = video != nullptr;
    mpv_free(video);
    if (!hasVideo) {
        FinishOpen();
        return;
    }
    m_opening = OpenStep::Sizing;
    m_sizeTimer->start();
    // The size may be known already.
    const QSize size = ReadVideoSize();
    if (!size.isEmpty()) {
        m_videoSize = size;
        FinishOpen();
    }
}

void MediaPlayer::FinishOpen() {
    m_opening = OpenStep::None;
    m_openTimer->stop();
    m_sizeTimer->stop();
    m_fileName = std::exchange(m_openingName, {});
    ApplyDisplaySize();
    const uint64_t generation = m_generation;
    emit Opened();
    // The stream's start follows, unless the window replaced the media.
    if (m_generation == generation) {
        emit NewStream();
    }
}

void MediaPlayer::FailOpen(int number, const std::string& description) {
    // The entries are forgotten first, so that the events of the failed
    // load already taken from mpv are never reported.
    Unload();
    emit OpenFailed(number, QString::fromStdString(description));
}

} // namespace vimbrel
