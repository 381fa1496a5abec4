// The sound presenter of the show window: plays the current sound or play
// list without showing the player, so the picture before stays on screen,
// and puts the name in the top left corner: for a play list with the
// number of the entry playing and of all entries.

#include "catalogue/MediaKind.h"
#include "catalogue/PlayList.h"
#include "media/MediaPlayer.h"
#include "platform/FileSystem.h"
#include "playlists/PlayListFile.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"
#include "show/CaptionLabel.h"
#include "show/ImageLayout.h"
#include "show/MainForm.h"
#include "show/Twips.h"
#include "state/ProgramState.h"

#include <QTimer>

namespace vimbrel {

void MainForm::VimbleSound() {
    const FolderEntry& folder = CurrentFolderEntry();
    const std::string currentFile = m_state.catalogue.CurrentFile;
    const bool playList = MediaKindOf(currentFile) == MediaKind::PlayList;

    Timer1->stop();
    const bool playing = OpenInPlayer([&] {
        if (!playList) {
            MediaPlayer1->SetFileName(currentFile);
            return;
        }
        const std::string path = PathInShownFolder(currentFile);
        const std::vector<std::string> entries = ReadPlayListFile(path);
        if (entries.empty()) {
            throw Error(ErrorNumber::CannotPlayMedia, "VimbleSound",
                        "The play list names no file to play: " + currentFile);
        }
        try {
            MediaPlayer1->SetPlayList(currentFile, entries);
        } catch (const Error& error) {
            // Entries that cannot be played are their own files' fault, not
            // the list's: the list is passed over and keeps its name.
            if (error.number() == ErrorNumber::CannotPlayMedia) {
                throw Error(ErrorNumber::PlayListUnplayable, error.source(), error.description());
            }
            throw;
        }
    });
    if (!playing) {
        // Nothing plays, so no end of stream will come: the caption stays
        // and the next entry follows after the folder's interval.
        RunShowTimer();
    }

    std::string caption = CaptionOfFile(currentFile);
    if (playList) {
        // The name's "&" is left single here, so the caption takes it as a
        // marker.
        caption = NameBeforeFirstDot(currentFile) + " - Track " +
                  std::to_string(MediaPlayer1->CurrentEntry()) + " of " +
                  std::to_string(MediaPlayer1->EntryCount());
    }
    Label1->SetCaption(caption);
    Label1->setGeometry(0, 0, ToPixelsX(m_state.screen.ScreenWidth), Label1->height());
    if (folder.Captions != 0) {
        Label1->raise();
        Label1->show();
    }
}

} // namespace vimbrel
