// The entry point: installs the fault handler, starts the GUI library,
// builds the program's state and services, runs start-up and opens the
// window that the command line asks for.

#include "startup/Main.h"

#include "app/FaultReport.h"
#include "config/Configuration.h"
#include "controls/ChangePasswordDialog.h"
#include "controls/ErrorPolicies.h"
#include "crash/ExceptionFilter.h"
#include "crash/FaultReportWindow.h"
#include "display/XRandrModes.h"
#include "platform/Clock.h"
#include "platform/CursorCounter.h"
#include "platform/MessageBoxes.h"
#include "platform/Pickers.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Screen.h"
#include "platform/ScreenHold.h"
#include "platform/Services.h"
#include "platform/TerminationSignals.h"
#include "platform/UserChoices.h"
#include "preview/ControlForm.h"
#include "runtime/Error.h"
#include "show/MainForm.h"
#include "show/ShowInLocker.h"
#include "startup/CommandLine.h"
#include "state/ProgramState.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr const char* kUsage = "Usage: vimbrel [/S | /C | /P <window id> | /A <window id>]\n"
                               "       vimbrel [-root | -window-id <window id>]\n"
                               "  /S   run the slide show full-screen\n"
                               "  /C   configure the folders and options (also with no switch)\n"
                               "  /P   draw the preview inside the X11 window with the given id\n"
                               "  /A   change the screen-saver password, over the given window\n"
                               "  -root, -window-id  the saver of a screen locker, drawn into\n"
                               "       $XSCREENSAVER_WINDOW or the given window\n"
                               "Settings live in $VIMBREL_HOME, else $XDG_CONFIG_HOME/vimbrel.\n";

bool AsksForHelp(int argc, char** argv) {
    return argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0);
}

std::unique_ptr<vimbrel::DisplayModeSource> DisplayModesOfScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return vimbrel::OpenDisplayModeSource(0, 0, 0);
    }
    return vimbrel::OpenDisplayModeSource(screen->size().width(), screen->size().height(),
                                          screen->depth());
}

// The area a show inside a locker fills: the locker's window, or for
// "-root" alone the screen; nothing when the window does not exist.
std::optional<vimbrel::ScreenState> LockerArea(uint32_t window) {
    vimbrel::ScreenState area;
    if (window != 0) {
        if (!vimbrel::TakeLockerWindowSize(area, window)) {
            return std::nullopt;
        }
        return area;
    }
    const vimbrel::platform::ScreenSize screen = vimbrel::platform::PrimaryScreenSize();
    area.ScreenWidth = screen.widthTwips;
    area.ScreenHeight = screen.heightTwips;
    return area;
}

// Inside a locker the display stays in the mode the locker found: the one
// mode the show knows is its area's size.
std::unique_ptr<vimbrel::DisplayModeSource> LockerDisplayModes(const vimbrel::ScreenState& area) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return std::make_unique<vimbrel::CurrentModeOnly>(
        area.ScreenWidth / vimbrel::platform::TwipsPerPixelX,
        area.ScreenHeight / vimbrel::platform::TwipsPerPixelY,
        screen != nullptr ? screen->depth() : 24);
}

// How long the show waits for another program (an open menu, a drag) to let
// go of the keyboard and the pointer before it gives up.
constexpr std::chrono::seconds kInputPatience{5};

// The desktop's display mode as a fault report's process takes it, so that
// a show that crashed in a folder's own mode still gives the desktop its
// mode back.
std::string DesktopModeForReports(const vimbrel::DisplayModeState& display) {
    if (display.CurrentModeIndex < 0 ||
        static_cast<std::size_t>(display.CurrentModeIndex) >= display.DisplayModes.size()) {
        return {};
    }
    const vimbrel::DisplayMode& mode =
        display.DisplayModes[static_cast<std::size_t>(display.CurrentModeIndex)];
    return std::to_string(mode.PelsWidth) + " " + std::to_string(mode.PelsHeight) + " " +
           std::to_string(mode.PlatformId);
}

// Sets the show up (false when that failed, after saying why); from then on
// the termination signals end it.
bool LoadShow(vimbrel::MainForm& form, vimbrel::platform::Services& services,
              vimbrel::platform::TerminationSignals& endings) {
    QObject::connect(&endings, &vimbrel::platform::TerminationSignals::Received, &form,
                     [&form] { form.EndFromOutside(); });
    bool loaded = false;
    vimbrel::EndProgramOnError(services.messageBoxes, [&] {
        form.Form_Load();
        loaded = true;
    });
    return loaded;
}

int RunSlideshow(vimbrel::ProgramState& state, vimbrel::platform::Services& services,
                 vimbrel::platform::TerminationSignals& endings) {
    // Input first: a show that could not hold the keyboard and the pointer
    // would leave the desktop usable behind it, so it does not start at all,
    // and nothing (no file renamed, no window shown) has happened yet.
    vimbrel::platform::ScreenHold hold;
    if (!hold.Take(kInputPatience)) {
        services.messageBoxes.Show("The show could not start: another program holds the "
                                   "keyboard or the mouse.",
                                   vimbrel::platform::MessageIcon::Information,
                                   vimbrel::platform::MessageButtons::Ok);
        return 1;
    }
    vimbrel::crash::ReportFaultsOnScreen(DesktopModeForReports(state.display));
    vimbrel::MainForm form(state, services);
    if (!LoadShow(form, services, endings)) {
        return 1;
    }
    vimbrel::platform::ShowCovering(form);
    form.setFocus();
    // Every key and click is the show's while it runs.
    hold.HoldFor(form);
    const int result = QApplication::exec();
    hold.Release();
    return result;
}

// The show as a screen locker's saver: inside the locker's window (or over
// the whole screen for "-root" alone), with no grabs, no password and no
// display mode of its own; the locker owns all of those.
int RunShowInLocker(vimbrel::ProgramState& state, vimbrel::platform::Services& services,
                    vimbrel::platform::TerminationSignals& endings, uint32_t window) {
    vimbrel::MainForm form(state, services, vimbrel::ShowHost::Locker);
    if (!LoadShow(form, services, endings)) {
        return 1;
    }
    if (window == 0) {
        vimbrel::platform::MakeCoveringWindow(form);
        vimbrel::platform::ShowCovering(form);
    } else if (!(new vimbrel::ShowInLocker(form, state.screen, window))->Embed()) {
        services.messageBoxes.Show("The screen locker's window is gone.",
                                   vimbrel::platform::MessageIcon::Information,
                                   vimbrel::platform::MessageButtons::Ok);
        return 1;
    }
    return QApplication::exec();
}

int RunConfiguration(vimbrel::ProgramState& state, vimbrel::platform::Services& services) {
    vimbrel::platform::DialogFolderPicker folderPicker;
    vimbrel::platform::DialogColorPicker colorPicker;
    vimbrel::Configuration dialog(state, services, folderPicker, colorPicker);
    bool loaded = false;
    vimbrel::EndProgramOnError(services.messageBoxes, [&] {
        dialog.Form_Load();
        loaded = true;
    });
    if (!loaded) {
        return 1;
    }
    // OK has saved by the time the dialog ends; Cancel and the close box
    // end it without saving. Either way the program ends with it.
    dialog.exec();
    return 0;
}

int RunPreview(vimbrel::ProgramState& state, vimbrel::platform::Services& services) {
    vimbrel::ControlForm form(state.preview, services.random,
                              static_cast<uint32_t>(state.run.ParentWindow));
    // The form is never shown, so the end of the preview ends the program.
    // exit(), not quit(): quit() first asks every window to close, and the
    // stand-in for a host window that has gone away can refuse.
    QObject::connect(&form, &vimbrel::ControlForm::unloaded, [] { QApplication::exit(0); });
    form.Form_Load();
    return QApplication::exec();
}

int RunPasswordChange(vimbrel::ProgramState& state, vimbrel::platform::Services& services) {
    vimbrel::ChangeScreenSavePassword(services.profiles, state.files.WindowsDirectory,
                                      state.run.ParentWindow);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The fault handler first: a fault anywhere after it is reported.
    vimbrel::crash::InstallExceptionFilter();
    vimbrel::platform::SetUpHeapForLongRuns();

    if (AsksForHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (argc >= 3 && argv[1] == vimbrel::crash::kFaultReportSwitch) {
        return vimbrel::ShowFaultReport(argc, argv);
    }
    const std::vector<std::string_view> arguments(argv + std::min(argc, 1), argv + argc);
    const std::optional<vimbrel::LockerTarget> locker =
        vimbrel::LockerTargetOf(arguments, std::getenv("XSCREENSAVER_WINDOW"));

    // The video's frames are drawn by a context of the player's own into a
    // texture that the show window's context puts on screen. The shared
    // context loads OpenGL at start-up, so only where video may use it: a
    // show of pictures under a software rasterizer would carry its tens of
    // megabytes for nothing.
    if (vimbrel::platform::OpenGlVideoPossible()) {
        QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    }
    QApplication application(argc, argv);
    // The show takes unreadable pictures out by itself; the decoders' own
    // complaints about them would only fill the terminal of whatever
    // started the screen saver.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio*=false"));
    QApplication::setApplicationName("Vimbrel");
    QApplication::setApplicationVersion(VIMBREL_VERSION);
    // Numbers in the media player's options are read with a C locale.
    std::setlocale(LC_NUMERIC, "C");

    // Inside a locker the screen is the locker's: messages go to standard
    // error only, and a fault's report too.
    vimbrel::platform::ScreenMessageBoxes screenMessages;
    vimbrel::platform::TerminalMessageBoxes terminalMessages;
    vimbrel::platform::MessageBoxes& messageBoxes =
        locker ? static_cast<vimbrel::platform::MessageBoxes&>(terminalMessages) : screenMessages;
    std::optional<vimbrel::ScreenState> lockerArea;
    if (!locker) {
        vimbrel::crash::ReportFaultsOnScreen({});
    } else if (!locker->error.empty()) {
        messageBoxes.Show(locker->error, vimbrel::platform::MessageIcon::Information,
                          vimbrel::platform::MessageButtons::Ok);
        return 1;
    } else if (lockerArea = LockerArea(locker->window); !lockerArea) {
        messageBoxes.Show("The window " + QString("0x%1").arg(locker->window, 0, 16).toStdString() +
                              " given by the screen locker does not exist.",
                          vimbrel::platform::MessageIcon::Information,
                          vimbrel::platform::MessageButtons::Ok);
        return 1;
    }
    // Signals end every mode as the user would, from the start.
    vimbrel::platform::TerminationSignals endings;

    vimbrel::platform::ProfileFiles profiles{std::filesystem::path()};
    vimbrel::platform::SystemClock clock;
    vimbrel::platform::SystemRandomSource random;
    vimbrel::platform::CursorCounter cursor;
    const std::unique_ptr<vimbrel::DisplayModeSource> displayModes =
        lockerArea ? LockerDisplayModes(*lockerArea) : DisplayModesOfScreen();
    vimbrel::platform::SystemProcessControl process;
    vimbrel::platform::Services services{profiles, messageBoxes,  clock,  random,
                                         cursor,   *displayModes, process};
    vimbrel::ProgramState state;
    state.run.InLocker = locker.has_value();

    const std::string commandLine = locker ? "/S" : vimbrel::JoinArguments(argc, argv);
    vimbrel::Handover handover = vimbrel::Handover::None;
    try {
        handover = vimbrel::Main(state, services, commandLine);
    } catch (const vimbrel::Error& error) {
        messageBoxes.Show(vimbrel::FormatErrorReport(error),
                          vimbrel::platform::MessageIcon::Critical,
                          vimbrel::platform::MessageButtons::Ok);
        return 1;
    }

    // The dialogs end as Cancel ends them: nothing is saved.
    QObject::connect(&endings, &vimbrel::platform::TerminationSignals::Received, &application,
                     [&handover] {
                         if (handover != vimbrel::Handover::Slideshow &&
                             handover != vimbrel::Handover::ShowInLocker) {
                             QApplication::exit(0);
                         }
                     });
    switch (handover) {
    case vimbrel::Handover::None:
        if (state.run.RunMode != "/S") {
            // Not one of the switches: nothing to show, but say what is.
            std::fputs(kUsage, stderr);
            return 2;
        }
        return locker ? 1 : 0;
    case vimbrel::Handover::Slideshow:
        return RunSlideshow(state, services, endings);
    case vimbrel::Handover::ShowInLocker:
        // The show fills the locker's window, whatever the screen's size.
        state.screen = *lockerArea;
        vimbrel::EnumerateDisplayModes(state.display, *displayModes, state.screen.ScreenWidth,
                                       state.screen.ScreenHeight);
        return RunShowInLocker(state, services, endings, locker->window);
    case vimbrel::Handover::Configuration:
        return RunConfiguration(state, services);
    case vimbrel::Handover::Preview:
        return RunPreview(state, services);
    case vimbrel::Handover::PasswordChange:
        return RunPasswordChange(state, services);
    }
    return 0;
}
