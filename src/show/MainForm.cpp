#include "show/MainForm.h"

#include "catalogue/MediaKind.h"
#include "catalogue/PlayList.h"
#include "controls/CursorHelpers.h"
#include "controls/ErrorPolicies.h"
#include "controls/Passwords.h"
#include "display/ChangeResolution.h"
#include "media/MediaPlayer.h"
#include "platform/Clock.h"
#include "platform/CursorCounter.h"
#include "platform/FileSystem.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Registry.h"
#include "platform/ScreenHold.h"
#include "platform/Services.h"
#include "runtime/Conversions.h"
#include "settings/CollectionStore.h"
#include "show/CaptionLabel.h"
#include "show/Emblem.h"
#include "show/ImageLayout.h"
#include "show/PictureArea.h"
#include "show/ScreenCovers.h"
#include "show/Twips.h"
#include "state/ProgramState.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>
#include <cmath>

namespace vimbrel {

namespace {

// The caption's height: one line of its 16-pixel font with a little room.
constexpr int kCaptionHeightPixels = 25;
constexpr double kParked = -10000;
// A picture still unread after this is passed over (see m_pictureStall).
constexpr int kPictureStallMs = 10000;

QColor ColorOf(int32_t value) {
    const auto rgb = static_cast<uint32_t>(value);
    return QColor(static_cast<int>(rgb & 0xFF), static_cast<int>((rgb >> 8) & 0xFF),
                  static_cast<int>((rgb >> 16) & 0xFF));
}

} // namespace

MainForm::MainForm(ProgramState& state, platform::Services& services, ShowHost host)
    : m_state(state), m_services(services), m_host(host) {
    setObjectName("MainForm");
    setWindowTitle(
        QString::fromUtf8(kSlideshowTitle.data(), static_cast<qsizetype>(kSlideshowTitle.size())));
    setMouseTracking(true);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    if (host == ShowHost::Desktop) {
        platform::MakeCoveringWindow(*this);
        // Another show started now finds this one by its title. Inside a
        // locker one show runs per screen, and none is a second one.
        m_titleLock.Acquire(kSlideshowTitle);
    } else {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }

    Image1 = new PictureArea(this);
    Image1->hide();
    Label1 = new CaptionLabel(this);
    Label1->hide();
    Label1->resize(Label1->width(), kCaptionHeightPixels);
    MediaPlayer1 = new MediaPlayer(this);
    MediaPlayer1->hide();
    Image2 = DrawEmblem();
    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    m_pictureStall = new QTimer(this);
    m_pictureStall->setSingleShot(true);
    m_pictureStall->setInterval(kPictureStallMs);
    connect(m_pictureStall, &QTimer::timeout, this, [this] { StopReadingPicture(); });
    Timer1->setTimerType(Qt::CoarseTimer);

    connect(Timer1, &QTimer::timeout, this,
            [this] { EndProgramOnError(m_services.messageBoxes, [this] { Timer1_Timer(); }); });
    connect(Image1, &PictureArea::PointerEvent, this, [this] { Terminate(); });
    for (auto signal : {&MediaPlayer::MouseMoved, &MediaPlayer::MouseDown, &MediaPlayer::Clicked,
                        &MediaPlayer::DoubleClicked}) {
        connect(MediaPlayer1, signal, this, [this] { Terminate(); });
    }
    connect(MediaPlayer1, &MediaPlayer::Opened, this, [this] {
        EndProgramOnError(m_services.messageBoxes, [this] { MediaPlayer1_Opened(); });
    });
    connect(MediaPlayer1, &MediaPlayer::OpenFailed, this, [this](int number) {
        EndProgramOnError(m_services.messageBoxes,
                          [this, number] { MediaPlayer1_OpenFailed(number); });
    });
    connect(MediaPlayer1, &MediaPlayer::NewStream, this, [this] {
        EndProgramOnError(m_services.messageBoxes, [this] { MediaPlayer1_NewStream(); });
    });
    connect(MediaPlayer1, &MediaPlayer::EndOfStream, this, [this](int32_t result) {
        EndProgramOnError(m_services.messageBoxes,
                          [this, result] { MediaPlayer1_EndOfStream(result); });
    });
}

MainForm::~MainForm() {
    m_services.process.SetLastStep(nullptr);
}

void MainForm::RestoreDesktopMode() {
    ChangeResolution(m_state.display, m_state.screen, m_services.displayModes,
                     m_services.messageBoxes, nullptr, m_state.display.CurrentModeIndex);
}

void MainForm::Form_Load() {
    const ScreenState& screen = m_state.screen;
    // The pointer goes to the screen's centre before the window appears, so
    // that the move itself does not count as the viewer's. Inside a locker
    // the pointer is the locker's, and Wayland lets no program move it.
    const double centreX = static_cast<double>(screen.ScreenWidth) / platform::TwipsPerPixelX / 2;
    const double centreY = static_cast<double>(screen.ScreenHeight) / platform::TwipsPerPixelY / 2;
    if (m_host == ShowHost::Desktop && platform::CurrentDesktop() != platform::Desktop::Wayland) {
        QCursor::setPos(static_cast<int>(std::nearbyint(centreX)),
                        static_cast<int>(std::nearbyint(centreY)));
    }
    raise();
    Place(this, 0, 0, screen.ScreenWidth, screen.ScreenHeight);

    // Inside a locker the locker asks for the password, not the show.
    m_password.UsePassword = m_host == ShowHost::Locker
                                 ? 0
                                 : CInt(Val(platform::ReadRegistryString(
                                       m_services.profiles, platform::kCurrentUserRoot,
                                       "Control Panel\\Desktop", "ScreenSaveUsePassword")));
    m_password.PlatformId = ReadVersionInfo();
    HideCursor(m_services.cursor);
    // A folder switched to that holds nothing to show ends the program on
    // the spot; the desktop gets its own mode back even then.
    m_services.process.SetLastStep([this] { RestoreDesktopMode(); });

    CollectionSettings& settings = m_state.model.settings;
    // A hand-edited CurrentFolder outside the table shows the first folder.
    if (settings.CurrentFolder < 1 || settings.CurrentFolder > settings.Folders) {
        settings.CurrentFolder = 1;
    }
    SetBackground(
        m_state.model.FolderTable.at(static_cast<std::size_t>(settings.CurrentFolder)).Background);
    // The other screens are covered in the same colour for the whole show;
    // inside a locker each screen has a show of its own.
    if (m_host == ShowHost::Desktop) {
        m_covers = std::make_unique<ScreenCovers>(palette().color(QPalette::Window));
        for (const auto& cover : m_covers->Covers()) {
            connect(cover.get(), &ScreenCover::PointerEvent, this, [this] { Terminate(); });
        }
    }
    Place(MediaPlayer1, kParked, kParked, MediaPlayer1->width() * 15.0,
          MediaPlayer1->height() * 15.0);

    LoadFolderTable(m_state.model, m_services.profiles, m_state.files.CollectionFile,
                    CurrentResolution(m_state.display), settings.CurrentFolder);
    if (!BuildPlayList(m_state.catalogue, m_state.model, m_services,
                       m_state.files.CollectionFile)) {
        // Nothing to show at the start: the program ends, the desktop's
        // mode coming back with the last step.
        SayTheFolderIsEmpty();
        m_services.process.EndAtOnce(0);
    }
    RewindPlayList(m_state.catalogue);

    const FolderEntry& folder =
        m_state.model.FolderTable[static_cast<std::size_t>(settings.CurrentFolder)];
    Timer1->setInterval(TimerIntervalMs(folder.Interval));
    RunShowTimer();
    ShowNext();
}

void MainForm::SayTheFolderIsEmpty() {
    RestoreCursor(m_services.cursor);
    m_services.messageBoxes.Show("Could not find any supported files in " +
                                     platform::CurrentDirectory().string(),
                                 platform::MessageIcon::Information, platform::MessageButtons::Ok);
}

void MainForm::SetBackground(int32_t color) {
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ColorOf(color));
    setPalette(colours);
    if (m_covers) {
        m_covers->SetColour(ColorOf(color));
    }
}

void MainForm::StopReadingPicture() {
    m_loader.Cancel();
    m_pictureStall->stop();
    Show.Loading.clear();
}

void MainForm::ShowNext() {
    // Whatever came before, a picture still being read is not shown.
    StopReadingPicture();
    const CatalogueState& catalogue = m_state.catalogue;
    if (!IsSupportedFile(catalogue.SupportedPatterns, catalogue.CurrentFile)) {
        ShowEmblem();
        return;
    }
    switch (MediaKindOf(catalogue.CurrentFile)) {
    case MediaKind::Picture:
        VimbleImage();
        break;
    case MediaKind::Sound:
    case MediaKind::Tune:
    case MediaKind::PlayList:
        VimbleSound();
        break;
    case MediaKind::Video:
        VimbleMovie();
        break;
    }
}

void MainForm::ShowEmblem() {
    const double r1 = m_services.random.Rnd();
    const double r2 = m_services.random.Rnd();
    const double emblemHeight = kEmblemHeight * platform::TwipsPerPixelY;
    const double emblemWidth = kEmblemWidth * platform::TwipsPerPixelX;
    const double top = std::floor((m_state.screen.ScreenHeight - emblemHeight) * r1 + 1);
    const double left = std::floor((m_state.screen.ScreenWidth - emblemWidth) * r2 + 1);
    Place(Image1, left, top, emblemWidth, emblemHeight);
    m_naturalPixels = Image2.size();
    Image1->SetPicture(Image2);
    Label1->move(ToPixelsX(left), ToPixelsY(top + emblemHeight));
}

const FolderEntry& MainForm::CurrentFolderEntry() const {
    return m_state.model
        .FolderTable[static_cast<std::size_t>(m_state.model.settings.CurrentFolder)];
}

int32_t MainForm::AvailableHeight() const {
    const FolderEntry& folder =
        m_state.model.FolderTable[static_cast<std::size_t>(m_state.model.settings.CurrentFolder)];
    int32_t available = m_state.screen.ScreenHeight;
    if (folder.Captions != 0) {
        available -= static_cast<int32_t>(std::nearbyint(HeightInTwips(Label1)));
    }
    return available;
}

DecodeSizeOf MainForm::DecodeSizeForFolder() const {
    const FolderEntry& folder =
        m_state.model.FolderTable[static_cast<std::size_t>(m_state.model.settings.CurrentFolder)];
    const int16_t imageScale = folder.ImageScale;
    const int32_t availableHeight = AvailableHeight();
    const int32_t screenWidth = m_state.screen.ScreenWidth;
    // The layout is in twips of logical pixels; on a high-density screen a
    // picture is decoded for the device's pixels, so it is drawn sharp
    // rather than blown up. The reader never decodes above the natural size.
    const double devicePixels = devicePixelRatioF();
    return [=](QSize natural) {
        const PictureSize shown =
            ScalePicture({static_cast<float>(natural.width() * platform::TwipsPerPixelX),
                          static_cast<float>(natural.height() * platform::TwipsPerPixelY)},
                         imageScale, availableHeight, screenWidth);
        return QSize(
            static_cast<int>(std::ceil(shown.W / platform::TwipsPerPixelX * devicePixels)),
            static_cast<int>(std::ceil(shown.H / platform::TwipsPerPixelY * devicePixels)));
    };
}

void MainForm::Terminate() {
    // Pointer events over a prompt or message drawn inside the show's window
    // belong to it.
    if (platform::DialogAboveTheShow(*this)) {
        return;
    }
    if (CountMouseEvent(m_state.model.settings.MouseMoves, m_state.MouseMoveCount, m_mouseWindow,
                        m_services.clock.Timer())) {
        close();
    }
}

void MainForm::MediaPlayer1_EndOfStream(int32_t) {
    MediaPlayer1->Stop();
    MediaPlayer1->SetFileName("");
    Show.Playing.clear();
    MediaPlayer1->hide();
    MediaPlayer1->move(ToPixelsX(kParked), ToPixelsY(kParked));
    Label1->hide();
    RunShowTimer();
    m_state.MouseMoveCount = 0;
}

void MainForm::RunShowTimer() {
    Show.TimedShowPaused = false;
    Timer1->start();
}

void MainForm::Timer1_Timer() {
    const FolderEntry& folder =
        m_state.model.FolderTable[static_cast<std::size_t>(m_state.model.settings.CurrentFolder)];
    if (NextTickAction(Show, folder.Interval) == TickAction::Advance) {
        StepPlayList(m_state.catalogue);
        ShowNext();
    }
}

bool MainForm::Form_QueryUnload() {
    if (m_endingFromOutside) {
        return true;
    }
    if (m_password.PlatformId != 2 && m_password.UsePassword != 0) {
        RestoreCursor(m_services.cursor);
        const bool accepted = VerifyScreenSavePwd(this, m_state.files.WindowsDirectory);
        // Told to end while the prompt was open: the show ends all the same.
        if (!accepted && !m_endingFromOutside) {
            HideCursor(m_services.cursor);
            return false;
        }
    }
    return true;
}

void MainForm::EndFromOutside() {
    m_endingFromOutside = true;
    // A prompt or message open now would hold the end up; each one's own
    // event loop returns once it is closed, and the close request follows.
    while (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->close();
        if (QApplication::activeModalWidget() == dialog) {
            break;
        }
    }
    QTimer::singleShot(0, this, [this] { close(); });
}

void MainForm::ScreenResized() {
    Place(this, 0, 0, m_state.screen.ScreenWidth, m_state.screen.ScreenHeight);
    if (Show.Playing.empty()) {
        EndProgramOnError(m_services.messageBoxes, [this] { ShowNext(); });
    }
}

void MainForm::Form_Unload() {
    StopReadingPicture();
    MediaPlayer1_EndOfStream(0);
    RestoreCursor(m_services.cursor);
    // Nothing to tell the system about the screen saver's end here. The
    // desktop's own mode comes back, whether or not a folder changed it.
    m_services.process.SetLastStep(nullptr);
    if (m_covers) {
        m_covers->CloseAll();
    }
    RestoreDesktopMode();
    m_titleLock.Release();
}

void MainForm::closeEvent(QCloseEvent* event) {
    if (m_unloaded) {
        event->accept();
        return;
    }
    bool allowed = false;
    EndProgramOnError(m_services.messageBoxes, [&] { allowed = Form_QueryUnload(); });
    if (!allowed) {
        event->ignore();
        return;
    }
    EndProgramOnError(m_services.messageBoxes, [&] { Form_Unload(); });
    m_unloaded = true;
    event->accept();
    if (m_host == ShowHost::Locker) {
        // Inside the locker's window the show is no top-level window, whose
        // closing would end the program by itself.
        QCoreApplication::exit(0);
    }
}

void MainForm::keyPressEvent(QKeyEvent* event) {
    // Only keys that type a character reach the show; arrows, function keys
    // and modifiers alone do nothing, and so does Delete, which types
    // nothing although the window system gives it a character (DEL).
    const QString text = event->text();
    if (text.isEmpty() || text.at(0) == QChar(0x7F) || platform::DialogAboveTheShow(*this)) {
        return;
    }
    EndProgramOnError(m_services.messageBoxes, [&] { Form_KeyPress(text.at(0).unicode()); });
}

void MainForm::mouseMoveEvent(QMouseEvent*) {
    Terminate();
}

void MainForm::mousePressEvent(QMouseEvent*) {
    m_pressed = true;
    Terminate();
}

void MainForm::mouseReleaseEvent(QMouseEvent*) {
    // Press and release make a click, which counts as well.
    if (m_pressed) {
        Terminate();
    }
    m_pressed = false;
}

void MainForm::mouseDoubleClickEvent(QMouseEvent*) {
    Terminate();
}

} // namespace vimbrel
