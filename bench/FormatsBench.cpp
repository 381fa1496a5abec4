// Today's picture formats in the show, printed as figures and as ratios
// against baselines measured in the same run:
//
//   first picture   of a show whose folder holds a 12-megapixel HEIC photo
//                   (4000 x 3000), on a 1920 x 1080 screen with "Size Images
//                   Down", from the window's set-up to the picture painted;
//                   against ImageMagick decoding the same file to a
//                   screen-sized picture (`convert photo.heic -resize
//                   1920x1080 ppm:-`), and against libheif's own tool
//                   decoding it whole (`heif-convert photo.heic photo.y4m`)
//
// Run: build/bench/formats_bench [folder for the test pictures]

#include "ShowHarness.h"

#include <QProcess>
#include <clocale>
#include <cstdio>

using namespace vimbrel;
using namespace vimbrel::bench;

namespace {

bool Run(const QString& program, const QStringList& arguments, const QString& output = {}) {
    QProcess process;
    process.setStandardOutputFile(output.isEmpty() ? QProcess::nullDevice() : output);
    process.start(program, arguments);
    return process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

double SecondsOf(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

QString Path(const fs::path& path) {
    return QString::fromStdString(path.string());
}

} // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    const auto [work, pictures, home] = SetUpBenchFolders(argc, argv, "vimbrel-formats-bench");

    const fs::path photo = pictures / "photo.heic";
    if (!fs::exists(photo)) {
        std::printf("making %s\n", photo.c_str());
        // A test pattern with grain, as a photograph has, coded at a phone's
        // quality.
        const fs::path source = work / "photo.png";
        if (!Run("ffmpeg", {"-nostdin", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                            "testsrc2=size=4000x3000:rate=1", "-vf", "noise=alls=12:allf=t",
                            "-frames:v", "1", Path(source)}) ||
            !Run("convert", {Path(source), "-quality", "80", "HEIC:" + Path(photo)})) {
            std::fprintf(stderr, "could not make the photo: ffmpeg and ImageMagick are needed\n");
            return 1;
        }
        fs::remove(source);
    }

    WriteCollection(home, pictures, 1, "MoreFormats=1\r\n");
    std::vector<double> magick;
    std::vector<double> libheif;
    std::vector<double> firsts;
    for (int run = 0; run < 6; ++run) {
        // Taken turn about, so that the machine's other work falls on all.
        magick.push_back(SecondsOf([&] {
            Run("convert", {Path(photo), "-resize", "1920x1080", "ppm:-"});
        }));
        libheif.push_back(SecondsOf([&] {
            Run("heif-convert", {Path(photo), Path(work / "photo.y4m")});
        }));
        Show show;
        double first = 0;
        auto form = StartShow(show, nullptr, &first);
        form->close();
        if (run > 0) { // the first also loads the decoders
            firsts.push_back(first);
        }
    }
    fs::remove(work / "photo.y4m");
    const double first = Median(firsts);
    std::printf("12-megapixel HEIC (4000x3000), medians of 5:\n");
    std::printf("  convert -resize 1920x1080:              %7.1f ms (baseline)\n",
                Median(magick) * 1000);
    std::printf("  heif-convert to y4m, whole picture:     %7.1f ms (baseline)\n",
                Median(libheif) * 1000);
    std::printf("  the show's first picture, to painted:  %7.1f ms  = %.2fx convert, %.2fx "
                "heif-convert\n",
                first * 1000, first / Median(magick), first / Median(libheif));
    std::printf("  peak resident size of the process:      %7ld MB\n", PeakResidentMegabytes());
    return 0;
}
