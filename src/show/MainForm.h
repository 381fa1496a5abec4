#pragma once

#include "controls/EndingTheShow.h"
#include "platform/WindowTitleLock.h"
#include "show/PictureLoader.h"
#include "show/ShowState.h"

#include <QImage>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>

class QTimer;

namespace vimbrel {

struct ProgramState;
struct FolderEntry;
namespace platform {
struct Services;
}
class PictureArea;
class CaptionLabel;
class MediaPlayer;
class ScreenCovers;

// Where the show runs: over the desktop, which it covers and guards itself,
// or inside a screen locker's window, which owns the screen, the input and
// the password.
enum class ShowHost { Desktop, Locker };

// The full-screen window of the running show: it covers the screen in the
// current folder's background colour and shows the folder's entries one
// after another, paced by its timer. Pointer activity and keys end it.
class MainForm : public QWidget {
public:
    MainForm(ProgramState& state, platform::Services& services, ShowHost host = ShowHost::Desktop);
    ~MainForm() override;

    // Sets the window up and shows the first entry; runs once, before the
    // window is shown.
    void Form_Load();
    // Presents CurrentFile with the presenter its extension asks for, or the
    // emblem for an entry taken out of the show.
    void ShowNext();
    void VimbleImage();
    // Opens the current video in the player; once it plays it is placed as
    // the folder asks (MediaPlayer1_Opened).
    void VimbleMovie();
    // Opens the current sound or play list; the picture before stays.
    void VimbleSound();
    // The media opened plays: a video is placed, a sound's name shown.
    void MediaPlayer1_Opened();
    // It could not be opened: the show goes on, without the file where the
    // file is at fault.
    void MediaPlayer1_OpenFailed(int number);
    // Counts one pointer event and ends the show when enough have come.
    void Terminate();
    // Stops whatever the player plays and returns to the timed show.
    void MediaPlayer1_EndOfStream(int32_t result);
    // A newly opened stream: its title joins the caption where known.
    void MediaPlayer1_NewStream();
    // One tick of the show's timer.
    void Timer1_Timer();
    // A typed character.
    void Form_KeyPress(int keyAscii);
    // Ends the show as a key ends it, but without asking for the password:
    // the system or the locker asked (a termination signal, a locker
    // window that went away). Open dialogs are closed first.
    void EndFromOutside();
    // The screen (or the locker's window) has a new size, already in
    // ScreenWidth and ScreenHeight: the window takes it, and a picture is
    // laid out again.
    void ScreenResized();

    // The window's parts, by the names the show's behaviour uses.
    PictureArea* Image1 = nullptr;
    CaptionLabel* Label1 = nullptr;
    MediaPlayer* MediaPlayer1 = nullptr;
    QTimer* Timer1 = nullptr;
    QImage Image2;
    // What the show is doing beyond what the widgets above show.
    ShowState Show;

    const PasswordState& password() const { return m_password; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    // The close request: false when the password check refuses it.
    bool Form_QueryUnload();
    void Form_Unload();
    void SetBackground(int32_t color);
    // Names the shown folder, which holds nothing the show can show.
    void SayTheFolderIsEmpty();
    void ShowEmblem();
    void PrefetchNextPicture();
    // Lays out and shows the picture read for the current entry.
    void ShowPicture(LoadedPicture picture);
    // Drops the picture being read, if any.
    void StopReadingPicture();
    void PlaceMovie();
    void ShowSoundCaption();
    const FolderEntry& CurrentFolderEntry() const;
    // The viewer's commands (special keys).
    void ToggleCaptions();
    void ShowNextFolder();
    // Switches the show to the folder at this position of the folder order;
    // false, after saying so, when it holds nothing to show.
    bool ShowFolderAt(int16_t index);
    void TogglePause();
    void RenameOutOfTheShow();
    void ShowNextItem();
    void ShowPreviousItem();
    // Where the player stands in the play list it plays; nowhere otherwise.
    PlayListPlace PlayerPlace() const;
    // Starts the show's timer, which ends a pause of the timed show.
    void RunShowTimer();
    // Beeps after a command when the collection asks for it.
    void BeepRule();
    // Sets the display back to the desktop's own mode.
    void RestoreDesktopMode();
    DecodeSizeOf DecodeSizeForFolder() const;
    int32_t AvailableHeight() const;

    ProgramState& m_state;
    platform::Services& m_services;
    PasswordState m_password;
    MouseCountingWindow m_mouseWindow;
    platform::WindowTitleLock m_titleLock;
    PictureLoader m_loader;
    // A picture that takes longer than this to read (a hung mount) is passed
    // over: the show's timer counts again and the next entry follows.
    QTimer* m_pictureStall = nullptr;
    std::unique_ptr<ScreenCovers> m_covers;
    QSize m_naturalPixels; // of the picture Image1 holds
    // Why pictures were passed over on this machine, each told once.
    std::set<std::string> m_machineFaultsTold;
    ShowHost m_host;
    bool m_pressed = false;
    bool m_unloaded = false;
    bool m_endingFromOutside = false;
};

} // namespace vimbrel
