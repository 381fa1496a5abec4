#pragma once

// A show window made as the program makes it, for the benchmarks: start-up
// in mode /S on a 1920 x 1080 screen, and the means to time its pictures.

#include "display/DisplayModes.h"
#include "platform/Clock.h"
#include "platform/CursorCounter.h"
#include "platform/MessageBoxes.h"
#include "platform/ProcessControl.h"
#include "platform/ProfileFile.h"
#include "platform/RandomSource.h"
#include "platform/Services.h"
#include "show/MainForm.h"
#include "startup/Main.h"
#include "state/ProgramState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

namespace vimbrel::bench {

namespace fs = std::filesystem;

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

inline double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

inline long PeakResidentMegabytes() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Lets the show run on its own event loop for a while, as it does between
// ticks: the process sleeps until the next event.
inline void Settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Show {
    platform::ProfileFiles profiles{fs::path()};
    platform::ScreenMessageBoxes messageBoxes;
    platform::SystemClock clock;
    platform::SystemRandomSource random;
    platform::CursorCounter cursor;
    CurrentModeOnly modes{1920, 1080, 24};
    platform::SystemProcessControl process;
    platform::Services services{profiles, messageBoxes, clock, random, cursor, modes, process};
    ProgramState state;
};

inline void WriteCollection(const fs::path& home, const fs::path& pictures, int interval,
                            const std::string& options = "") {
    std::ofstream(home / "vimbrel.ini", std::ios::binary)
        << "[Options]\r\nSettings=vimbrel000.ini\r\n";
    std::ofstream(home / "vimbrel000.ini", std::ios::binary)
        << "[Options]\r\nRandomFolder=0\r\nFolders=1\r\nMouseMoves=0\r\n"
        << options << "[Folder1]\r\nCenter=1\r\n"
        << "ImageScale=2\r\nRandomOrder=0\r\nInterval=" << interval
        << "\r\nSet=" << pictures.string() << "\r\n";
}

// Waits for the picture the show reads off the UI thread, then paints it.
inline void PaintWhenRead(MainForm& form) {
    while (!form.Show.Loading.empty()) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    form.repaint();
}

// Starts a show; the seconds from the start of the window's set-up to its
// first picture painted go to firstPicture, those of start-up and the
// window's construction before it to preparation.
inline std::unique_ptr<MainForm> StartShow(Show& show, double* preparation = nullptr,
                                           double* firstPicture = nullptr) {
    QElapsedTimer timer;
    timer.start();
    Main(show.state, show.services, "/S");
    // A 1920 x 1080 screen, whatever the test platform's own is.
    show.state.screen.ScreenWidth = 1920 * 15;
    show.state.screen.ScreenHeight = 1080 * 15;
    auto form = std::make_unique<MainForm>(show.state, show.services);
    if (preparation != nullptr) {
        *preparation = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    }
    timer.restart();
    form->Form_Load();
    form->show();
    PaintWhenRead(*form);
    if (firstPicture != nullptr) {
        *firstPicture = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    }
    return form;
}

// The benchmark's folders: its work folder (the first argument, or one of
// that name in the temporary folder), the pictures and the settings in it;
// the show's settings and runtime folders pointed there, sound to nowhere.
struct BenchFolders {
    fs::path work;
    fs::path pictures;
    fs::path home;
};

inline BenchFolders SetUpBenchFolders(int argc, char** argv, const char* name) {
    BenchFolders folders;
    folders.work = argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / name;
    folders.pictures = folders.work / "pictures";
    folders.home = folders.work / "settings";
    fs::create_directories(folders.pictures);
    fs::create_directories(folders.home);
    ::setenv("VIMBREL_HOME", folders.home.c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", folders.work.c_str(), 1);
    ::setenv("VIMBREL_AUDIO_OUTPUT", "null", 1);
    return folders;
}

} // namespace vimbrel::bench
