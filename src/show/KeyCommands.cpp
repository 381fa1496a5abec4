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
#include "show/ShowState.h"
#include "state/ProgramState.h"

#include <QTimer>

namespace vimbrel {

void MainForm::Form_KeyPress(int keyAscii) {
    const CollectionSettings& settings = m_state.model.settings;
    if (settings.key_Special != 0) {
        m_state.MouseMoveCount = 0;
    }
    switch (CommandOfKey(keyAscii, settings)) {
    case ShowCommand::End:
        close();
        break;
    case ShowCommand::ToggleCaptions:
        ToggleCaptions();
        break;
    case ShowCommand::NextFolder:
        ShowNextFolder();
        break;
    case ShowCommand::Pause:
        TogglePause();
        break;
    case ShowCommand::Rename:
        RenameOutOfTheShow();
        break;
    case ShowCommand::NextItem:
        ShowNextItem();
        break;
    case ShowCommand::PreviousItem:
        ShowPreviousItem();
        break;
    }
}

PlayListPlace MainForm::PlayerPlace() const {
    // Only a play list has places to move between; once it has ended
    // nothing is loaded, and the keys move through the show's own items.
    if (Show.Playing.empty() || MediaKindOf(Show.Playing) != MediaKind::PlayList) {
        return {};
    }
    return {MediaPlayer1->CurrentEntry(), MediaPlayer1->EntryCount()};
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
    const int16_t from = m_state.folderOrder.FolderIndex;
    const std::optional<int16_t> next = NextFolderPosition(from, m_state.model.settings.Folders);
    if (!next) {
        BeepRule();
        return;
    }
    if (!ShowFolderAt(*next)) {
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
    LoadFolderTable(m_state.model, m_services.profiles, m_state.files.CollectionFile,
                    CurrentResolution(m_state.display), settings.CurrentFolder);
    const FolderEntry& folder = CurrentFolderEntry();
    ChangeResolution(m_state.display, m_state.screen, m_services.displayModes,
                     m_services.messageBoxes, this,
                     static_cast<int32_t>(folder.Resolution) + m_state.display.FirstModeIndex);
    Timer1->setInterval(TimerIntervalMs(folder.Interval));
    SetBackground(folder.Background);
    if (!BuildPlayList(m_state.catalogue, m_state.model, m_services,
                       m_state.files.CollectionFile)) {
        // The show then ends the way a viewer ends it, through its close
        // request, so that its password is asked and the desktop's display
        // mode comes back.
        SayTheFolderIsEmpty();
        return false;
    }
    RewindPlayList(m_state.catalogue);
    RunShowTimer();
    ShowNext();
    return true;
}

void MainForm::TogglePause() {
    const std::string caption = Label1->Caption();
    switch (PauseStepOf(Show)) {
    case PauseStep::PausePlayer:
        MediaPlayer1->Pause();
        Show.PlayerPaused = true;
        Label1->SetCaption(CaptionPaused(caption));
        break;
    case PauseStep::ResumePlayer:
        MediaPlayer1->Play();
        Show.PlayerPaused = false;
        Label1->SetCaption(CaptionResumed(caption));
        break;
    case PauseStep::PauseTimedShow:
        Timer1->stop();
        Show.TimedShowPaused = true;
        Label1->SetCaption(CaptionPaused(caption));
        BeepRule();
        break;
    case PauseStep::ResumeTimedShow:
        // Resuming moves on to the next item at once.
        RunShowTimer();
        Label1->SetCaption(CaptionResumed(caption));
        StepPlayList(m_state.catalogue);
        ShowNext();
        BeepRule();
        break;
    }
}

void MainForm::RenameOutOfTheShow() {
    if (!Show.Playing.empty()) {
        MediaPlayer1_EndOfStream(0);
    }
    CatalogueState& catalogue = m_state.catalogue;
    const std::string name = catalogue.CurrentFile;
    if (const std::optional<std::string> marked = NameOutOfTheShow(name)) {
        SetCurrentEntry(catalogue, *marked);
        try {
            platform::RenameNoReplace(name, *marked);
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
    if (NextStaysInPlayList(Show, PlayerPlace())) {
        MediaPlayer1->NextEntry();
        return;
    }
    if (!Show.Playing.empty()) {
        MediaPlayer1_EndOfStream(0);
    }
    StepPlayList(m_state.catalogue);
    ShowNext();
    BeepRule();
}

void MainForm::ShowPreviousItem() {
    if (PreviousStaysInPlayList(Show, PlayerPlace())) {
        MediaPlayer1->PreviousEntry();
        return;
    }
    if (!Show.Playing.empty()) {
        MediaPlayer1_EndOfStream(0);
    }
    m_state.catalogue.PlayListPosition -= 2;
    StepPlayList(m_state.catalogue);
    ShowNext();
    BeepRule();
}

} // namespace vimbrel
