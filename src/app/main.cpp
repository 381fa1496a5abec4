// The entry point: installs the fault handler, starts the GUI library,
// builds the program's state and services, runs start-up and opens the
// window that the command line asks for.

#include "startup/Main.h"

#include "config/Configuration.h"
#include "controls/ChangePasswordDialog.h"
#include "crash/ExceptionFilter.h"
#include "display/XRandrModes.h"
#include "platform/Clock.h"
#include "platform/CursorCounter.h"
#include "platform/MessageBoxes.h"
#include "platform/Pickers.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "preview/ControlForm.h"
#include "runtime/Error.h"
#include "show/MainForm.h"
#include "startup/CommandLine.h"
#include "startup/ProgramState.h"
#include "startup/UntrappedError.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QScreen>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr const char* kUsage = "Usage: vimbrel [/S | /C | /P <window id> | /A <window id>]\n"
                               "  /S   run the slide show full-screen\n"
                               "  /C   configure the folders and options (also with no switch)\n"
                               "  /P   draw the preview inside the X11 window with the given id\n"
                               "  /A   change the screen-saver password, over the given window\n"
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

int RunSlideshow(vimbrel::ProgramState& state, vimbrel::platform::Services& services) {
    vimbrel::MainForm form(state, services);
    bool loaded = false;
    vimbrel::Guarded(services.messageBoxes, [&] {
        form.Form_Load();
        loaded = true;
    });
    if (!loaded) {
        return 1;
    }
    form.show();
    form.activateWindow();
    form.setFocus();
    // Every key is the show's while it runs, whichever window had the focus.
    form.grabKeyboard();
    return QApplication::exec();
}

int RunConfiguration(vimbrel::ProgramState& state, vimbrel::platform::Services& services) {
    vimbrel::platform::DialogFolderPicker folderPicker;
    vimbrel::platform::DialogColorPicker colorPicker;
    vimbrel::Configuration dialog(state, services, folderPicker, colorPicker);
    bool loaded = false;
    vimbrel::Guarded(services.messageBoxes, [&] {
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
    vimbrel::platform::SetUpHeapForLongRuns();
    vimbrel::crash::InstallExceptionFilter();

    if (AsksForHelp(argc, argv)) {
        std::fputs(kUsage, stdout);
        return 0;
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

    vimbrel::platform::ProfileFiles profiles{std::filesystem::path()};
    vimbrel::platform::ScreenMessageBoxes messageBoxes;
    vimbrel::platform::SystemClock clock;
    vimbrel::platform::SystemRandomSource random;
    vimbrel::platform::CursorCounter cursor;
    const std::unique_ptr<vimbrel::DisplayModeSource> displayModes = DisplayModesOfScreen();
    vimbrel::platform::SystemProcessControl process;
    vimbrel::platform::Services services{profiles, messageBoxes,  clock,  random,
                                         cursor,   *displayModes, process};
    vimbrel::ProgramState state;

    const std::string commandLine = vimbrel::JoinArguments(argc, argv);
    vimbrel::Handover handover = vimbrel::Handover::None;
    try {
        handover = vimbrel::Main(state, services, commandLine);
    } catch (const vimbrel::Error& error) {
        messageBoxes.Show(vimbrel::FormatErrorReport(error),
                          vimbrel::platform::MessageIcon::Critical,
                          vimbrel::platform::MessageButtons::Ok);
        return 1;
    }

    switch (handover) {
    case vimbrel::Handover::None:
        if (state.run.RunMode != "/S") {
            // Not one of the switches: nothing to show, but say what is.
            std::fputs(kUsage, stderr);
            return 2;
        }
        return 0;
    case vimbrel::Handover::Slideshow:
        return RunSlideshow(state, services);
    case vimbrel::Handover::Configuration:
        return RunConfiguration(state, services);
    case vimbrel::Handover::Preview:
        return RunPreview(state, services);
    case vimbrel::Handover::PasswordChange:
        return RunPasswordChange(state, services);
    }
    return 0;
}
