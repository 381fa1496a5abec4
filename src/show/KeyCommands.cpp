// The viewer's keys: with special keys on, six keys steer the show (captions,
// next folder, pause, rename, next, previous) and every other character
// ends it; with them off, every character ends it.

#include "catalogue/MediaKind.h"
#include "catalogue/PlayList.h"
#include "display/ChangeResolution.h"
#include "media/MediaPlayer.h"
#include "platform/FileRename.h"
#include "platform/MessageBoxes.h"
#include "platform/Services.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"
#include "settings/CollectionStore.h"
#include "show/CaptionLabel.h"
#include "show/ImageLayout.h"
#include "show/MainForm.h"
#include "show/MarkedFiles.h"
#include "show/PictureArea.h"
#include "show/ShowPacing.h"
#include "show/ShowState.h"
#include "state/ProgramState.h"

#include <QTimer>

namespace vimbrel {

namespace {

// A key stored as a lower-case character also answers to the character 32
// below it: its upper-case letter.
bool Matches(int keyAscii, int16_t stored) {
    return keyAscii == stored || keyAscii == stored - 32;
}

} // namespace

void MainForm::Form_KeyPress(int keyAscii) {
    const CollectionSettings& settings = m_state.model.settings;
    if (settings.key_Special == 0) {
        close();
        return;
    }
    m_state.MouseMoveCount = 0;
    if (Matches(keyAscii, settings.key_Captions)) {
        ToggleCaptions();
    } else if (Matches(keyAscii, settings.key_NewFolder)) {
        ShowNextFolder();
    } else if (Matches(keyAscii, settings.key_Pause)) {
        TogglePause();
    } else if (Matches(keyAscii, settings.key_Rename)) {
        RenameOutOfTheShow();
    } else if (Matches(keyAscii, settings.key_Next)) {
        ShowNextItem();
    } else if (Matches(keyAscii, settings.key_Previous)) {
        ShowPreviousItem();
    } else {
        close();
    }
}

bool MainForm::PlayListPlaying() const {
    // Once a list has ended nothing is loaded, and the keys move through
    // the show's own items again.
    return MediaKindOf(m_state.catalogue.CurrentFile) == MediaKind::PlayList &&
           !MediaPlayer1->FileName().empty();
}

void MainForm::BeepRule() {
    if (m_state.model.settings.key_Beep == 1) {
        m_services.messageBoxes.Beep();
    }
}

void MainForm::ToggleCaptions() {
    FolderEntry& folder =
        m_state.model.FolderTable[static_cast<std::size_t>(m_state.model.settings.CurrentFolder)];
    // In memory only: the folder's next load brings the stored value back.
    if (folder.Captions != 0) {
        folder.Captions = 0;
        Label1->hide();
    } else {
        folder.Captions = 1;
        Label1->show();
    }
    BeepRule();
}

void MainForm::ShowNextFolder() {
    const CollectionSettings& settings = m_state.model.settings;
    if (settings.Folders < 2) {
        BeepRule();
        return;
    }
    const int16_t from = m_state.folderOrder.FolderIndex;
    int16_t next = static_cast<int16_t>(from + 1);
    if (next > settings.Folders - 1) {
        next = 0;
    }
    if (!ShowFolderAt(next)) {
        // Nothing to show there: the show ends as the viewer would end it.
        // Where the password is refused it goes on in the folder it came
        // from.
        close();
        if (isVisible() && !ShowFolderAt(from)) {
            close();
        }
        return;
    }
    BeepRule();
}

bool MainForm::ShowFolderAt(int16_t index) {
    CollectionSettings& settings = m_state.model.settings;
    Timer1->stop();
    MediaPlayer1_EndOfStream(0);
    Image1->hide();
    Label1->hide();

    m_state.folderOrder.FolderIndex = index;
    settings.CurrentFolder =
        m_state.folderOrder.FolderNumberArray.at(static_cast<std::size_t>(index));
    LoadFolderTable(m_state, m_services, settings.CurrentFolder);
    const FolderEntry& folder = CurrentFolderEntry();
    ChangeResolution(m_state.display, m_state.screen, m_services.displayModes,
                     m_services.messageBoxes, this,
                     static_cast<int32_t>(folder.Resolution) + m_state.display.FirstModeIndex);
    Timer1->setInterval(TimerIntervalMs(folder.Interval));
    SetBackground(folder.Background);
    if (!BuildPlayList(m_state, m_services, m_state.files.CollectionFile)) {
        // The show then ends the way a viewer ends it, through its close
        // request, so that its password is asked and the desktop's display
        // mode comes back.
        SayTheFolderIsEmpty();
        return false;
    }
    RewindPlayList(m_state.catalogue);
    Timer1->start();
    ShowNext();
    return true;
}

void MainForm::TogglePause() {
    const std::string caption = Label1->Caption();
    if (!MediaPlayer1->FileName().empty()) {
        if (!Show.PlayerPaused) {
            MediaPlayer1->Pause();
            Show.PlayerPaused = true;
            Label1->SetCaption(CaptionPaused(caption));
        } else {
            MediaPlayer1->Play();
            Show.PlayerPaused = false;
            Label1->SetCaption(CaptionResumed(caption));
        }
        return;
    }
    if (Timer1->isActive()) {
        Timer1->stop();
        Label1->SetCaption(CaptionPaused(caption));
        BeepRule();
        return;
    }
    // Resuming moves on to the next item at once.
    Timer1->start();
    Label1->SetCaption(CaptionResumed(caption));
    StepPlayList(m_state.catalogue);
    ShowNext();
    BeepRule();
}

void MainForm::RenameOutOfTheShow() {
    if (!MediaPlayer1->FileName().empty()) {
        MediaPlayer1_EndOfStream(0);
    }
    CatalogueState& catalogue = m_state.catalogue;
    const std::string name = catalogue.CurrentFile;
    if (!name.empty() && name.front() != '_') {
        SetCurrentEntry(catalogue, "_" + name);
        try {
            platform::RenameNoReplace(name, "_" + name);
        } catch (const Error&) {
            // Never over another file: the file keeps its name, and its
            // entry, which names a file that is not there, shows the emblem
            // on the next round.
        }
    }
    StepPlayList(catalogue);
    ShowNext();
    BeepRule();
}

void MainForm::ShowNextItem() {
    if (PlayListPlaying() && MediaPlayer1->CurrentEntry() != MediaPlayer1->EntryCount()) {
        MediaPlayer1->NextEntry();
        return;
    }
    if (!MediaPlayer1->FileName().empty()) {
        MediaPlayer1_EndOfStream(0);
    }
    StepPlayList(m_state.catalogue);
    ShowNext();
    BeepRule();
}

void MainForm::ShowPreviousItem() {
    if (PlayListPlaying() && MediaPlayer1->CurrentEntry() != 1) {
        MediaPlayer1->PreviousEntry();
        return;
    }
    if (!MediaPlayer1->FileName().empty()) {
        MediaPlayer1_EndOfStream(0);
    }
    m_state.catalogue.PlayListPosition -= 2;
    StepPlayList(m_state.catalogue);
    ShowNext();
    BeepRule();
}

} // namespace vimbrel
