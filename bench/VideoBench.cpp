// Benchmarks of the show's media player against mpv's own command line on
// the same 720p video, measured in the same run, printed as figures and
// ratios:
//
//   first frame   from assigning the file to its first frame drawn, against
//                 `mpv --vo=image --frames=1` writing its first frame as an
//                 uncompressed PNG, start-up included (target <= 1.5x)
//   playing       processor time while the video plays, against
//                 `mpv --vo=x11` showing it on a virtual X screen: both
//                 convert and draw every frame in software
//                 (target <= 1.3x)
//
// Both play without sound (mpv's null audio output). The player draws in
// software on Qt's offscreen platform.
//
// Run: build/bench/video_bench [work folder]

#include "media/MediaPlayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <algorithm>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <sys/resource.h>
#include <vector>

namespace fs = std::filesystem;
using namespace vimbrel;

namespace {

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void Settle(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Run(const QString& program, const QStringList& arguments, int timeoutMs = 120000) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    return process.waitForFinished(timeoutMs) && process.exitCode() == 0;
}

double MpvFirstFrameSeconds(const fs::path& video, const fs::path& frames) {
    fs::remove_all(frames);
    fs::create_directories(frames);
    QElapsedTimer timer;
    timer.start();
    Run("mpv", {"--no-config", "--really-quiet", "--ao=null", "--vo=image", "--vo-image-format=png",
                "--vo-image-png-compression=0",
                "--vo-image-outdir=" + QString::fromStdString(frames.string()), "--frames=1",
                QString::fromStdString(video.string())});
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double PlayerFirstFrameSeconds(MediaPlayer& player, const fs::path& video) {
    player.SetFileName("");
    Settle(100);
    QElapsedTimer timer;
    timer.start();
    player.SetFileName(video.string());
    while (player.Surface().Frame().isNull() && !timer.hasExpired(10000)) {
        QApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Starts a virtual X server for mpv's window; its display name, or empty.
QString StartXvfb(QProcess& xvfb) {
    xvfb.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1280x800x24", "-nolisten", "tcp"});
    if (!xvfb.waitForReadyRead(10000)) {
        return {};
    }
    return ":" + QString::fromUtf8(xvfb.readLine()).trimmed();
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("VIMBREL_VIDEO_OUTPUT", "software", 1);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const fs::path work =
        argc > 1 ? fs::path(argv[1]) : fs::temp_directory_path() / "vimbrel-video-bench";
    fs::create_directories(work);
    const fs::path video = work / "harbour720.avi";
    if (!fs::exists(video)) {
        std::printf("making %s\n", video.c_str());
        if (!Run("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            "testsrc2=size=1280x720:rate=25:duration=10", "-c:v", "mpeg4", "-q:v",
                            "3", QString::fromStdString(video.string())})) {
            std::fprintf(stderr, "ffmpeg could not make the test video\n");
            return 1;
        }
    }

    MediaPlayer player(nullptr, "null");
    player.resize(1280, 720);
    player.show();

    // First frame, taken turn about so the machine's other work falls on
    // both alike.
    std::vector<double> mpvTimes;
    std::vector<double> playerTimes;
    for (int run = 0; run < 5; ++run) {
        mpvTimes.push_back(MpvFirstFrameSeconds(video, work / "frames"));
        playerTimes.push_back(PlayerFirstFrameSeconds(player, video));
    }
    const double mpvFirst = Median(mpvTimes);
    const double playerFirst = Median(playerTimes);
    std::printf("mpv --vo=image first frame, median:     %7.1f ms (baseline)\n", mpvFirst * 1000);
    std::printf("player, assignment to first frame:      %7.1f ms  = %.2fx mpv (target <= 1.5x)\n",
                playerFirst * 1000, playerFirst / mpvFirst);

    // Processor time over the whole video.
    player.SetFileName("");
    Settle(200);
    double cpuBefore = CpuSeconds(RUSAGE_SELF);
    QElapsedTimer wall;
    wall.start();
    player.SetFileName(video.string());
    while (!player.FileName().empty() && !wall.hasExpired(30000)) {
        Settle(50);
        if (player.CurrentPosition() >= 9.9) {
            break;
        }
    }
    const double playerCpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    const double playerWall = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    player.SetFileName("");

    QProcess xvfb;
    const QString display = StartXvfb(xvfb);
    if (display.isEmpty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    ::setenv("DISPLAY", display.toUtf8().constData(), 1);
    cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    wall.restart();
    Run("mpv", {"--no-config", "--really-quiet", "--ao=null", "--vo=x11", "--geometry=1280x720+0+0",
                QString::fromStdString(video.string())});
    const double mpvCpu = CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    const double mpvWall = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    xvfb.terminate();
    xvfb.waitForFinished(5000);

    std::printf("mpv --vo=x11 playing 10 s of 720p:      %7.2f s processor in %.1f s (baseline)\n",
                mpvCpu, mpvWall);
    std::printf("player playing the same:                %7.2f s processor in %.1f s  = %.2fx mpv "
                "(target <= 1.3x)\n",
                playerCpu, playerWall, playerCpu / mpvCpu);
    return 0;
}
