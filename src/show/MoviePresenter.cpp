// The movie presenter of the show window: plays the current video in the
// window's media player, sized and placed as the folder asks, with its name
// as caption over the video's lower edge. The show's timer rests while the
// video plays; the player's end of stream starts it again.

#include "catalogue/MediaKind.h"
#include "media/MediaPlayer.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"
#include "show/CaptionLabel.h"
#include "show/ImageLayout.h"
#include "show/MainForm.h"
#include "show/MarkedFiles.h"
#include "show/Twips.h"
#include "state/ProgramState.h"

#include <QTimer>
#include <cmath>
#include <optional>

namespace vimbrel {

namespace {

// The caption's top edge lies this far above the video's lower edge, so the
// caption lies over the lower part of the video.
constexpr double kCaptionAboveVideoEdge = 690;

// The player's display size for a folder's VideoScale; none for a negative
// value, which leaves the size as it was.
std::optional<int> DisplaySizeFor(int16_t videoScale) {
    switch (videoScale) {
    case 1:
        return DisplaySizes::DoubleSize;
    case 2:
        return DisplaySizes::HalfScreen;
    default:
        if (videoScale < 0) {
            return std::nullopt;
        }
        return DisplaySizes::OwnSize;
    }
}

} // namespace

void MainForm::VimbleMovie() {
    Timer1->stop();
    // The show's timer rests from now on: while the video opens, and while
    // it plays.
    Show.Playing = m_state.catalogue.CurrentFile;
    MediaPlayer1->SetFileName(m_state.catalogue.CurrentFile);
}

void MainForm::MediaPlayer1_Opened() {
    if (MediaKindOf(Show.Playing) == MediaKind::Video) {
        PlaceMovie();
    } else {
        ShowSoundCaption();
    }
}

void MainForm::MediaPlayer1_OpenFailed(int number) {
    const bool video = MediaKindOf(Show.Playing) == MediaKind::Video;
    // A failed open leaves the player empty.
    Show.Playing.clear();
    // The machine's own sound or picture output failing is no fault of the
    // file, nor is a mount that does not answer or the program's own
    // trouble, nor are a play list's unplayable entries the list's: such an
    // item is passed over, never renamed.
    if (number != ErrorNumber::OutputUnavailable && number != ErrorNumber::PlayListUnplayable &&
        number != ErrorNumber::MediaStalled && number != ErrorNumber::InternalError) {
        MarkUnusableFile(m_state.catalogue, m_services.profiles, m_state.files.CollectionFile);
    }
    if (video) {
        // Nothing plays, so no end of stream will come: the show goes on
        // as if the video had ended.
        MediaPlayer1_EndOfStream(0);
    } else {
        // The caption stays and the next entry follows after the folder's
        // interval.
        RunShowTimer();
        ShowSoundCaption();
    }
}

void MainForm::PlaceMovie() {
    const FolderEntry& folder = CurrentFolderEntry();
    const std::string& currentFile = m_state.catalogue.CurrentFile;
    const ScreenState& screen = m_state.screen;
    const int32_t availableHeight = AvailableHeight();
    // The open has started the video from its beginning, which is where a
    // stop and a second open would leave it.

    if (const auto displaySize = DisplaySizeFor(folder.VideoScale)) {
        MediaPlayer1->SetDisplaySize(*displaySize);
    }
    const double height = HeightInTwips(MediaPlayer1);
    double top = 0;
    double left = 0;
    if (folder.Center == 1) {
        // Centred on the whole screen, whatever room the caption takes.
        top = screen.ScreenHeight / 2.0 - height / 2.0;
        left = screen.ScreenWidth / 2.0 - WidthInTwips(MediaPlayer1) / 2.0;
    } else {
        m_services.random.Randomize();
        const double dy = std::nearbyint(availableHeight - height);
        top = std::floor(dy * m_services.random.Rnd() + 1);
        const double dx = std::nearbyint(screen.ScreenWidth - WidthInTwips(MediaPlayer1));
        left = std::floor(dx * m_services.random.Rnd() + 1);
    }
    const double width = WidthInTwips(MediaPlayer1);
    Place(MediaPlayer1, left, top, width, height);
    MediaPlayer1->show();
    MediaPlayer1->raise();

    Label1->SetCaption(CaptionOfFile(currentFile));
    Label1->setGeometry(ToPixelsX(left), ToPixelsY(top + height - kCaptionAboveVideoEdge),
                        ToPixelsX(width), Label1->height());
    if (folder.Captions != 0) {
        // Over the video, which lies above the rest of the window.
        Label1->raise();
        Label1->show();
    }
}

void MainForm::MediaPlayer1_NewStream() {
    std::string title;
    try {
        title = MediaPlayer1->ClipTitle();
    } catch (const Error&) {
        // The player cannot tell: the caption stays as it is.
        return;
    }
    Label1->SetCaption(CaptionOfFile(m_state.catalogue.CurrentFile, " - " + title));
}

} // namespace vimbrel
