// The sound presenter of the show window: plays the current sound or play
// list without showing the player, so the picture before stays on screen,
// and puts the name in the top left corner: for a play list with the
// number of the entry playing and of all entries.

#include "catalogue/MediaKind.h"
#include "catalogue/PlayList.h"
#include "media/MediaPlayer.h"
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
    const std::string& currentFile = m_state.catalogue.CurrentFile;
    Timer1->stop();
    // The show's timer rests while the sound opens and plays.
    Show.Playing = currentFile;
    if (MediaKindOf(currentFile) == MediaKind::PlayList) {
        MediaPlayer1->SetPlayList(currentFile, PathInShownFolder(currentFile));
    } else {
        MediaPlayer1->SetFileName(currentFile);
    }
}

void MainForm::ShowSoundCaption() {
    const FolderEntry& folder = CurrentFolderEntry();
    const std::string& currentFile = m_state.catalogue.CurrentFile;
    std::string caption = CaptionOfFile(currentFile);
    if (MediaKindOf(currentFile) == MediaKind::PlayList) {
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
