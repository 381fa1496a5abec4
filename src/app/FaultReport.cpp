#include "app/FaultReport.h"

#include "crash/FaultReportWindow.h"
#include "display/ChangeResolution.h"
#include "display/XRandrModes.h"
#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QThread>
#include <memory>
#include <sstream>
#include <string>

namespace vimbrel {

namespace {

// Sets the display back to the desktop's mode ("<width> <height> <id>") when
// the crashed show left it in another one.
void SetDesktopModeBack(const std::string& desktopMode) {
    std::istringstream fields(desktopMode);
    DisplayMode mode;
    if (!(fields >> mode.PelsWidth >> mode.PelsHeight >> mode.PlatformId)) {
        return;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr || screen->size() == QSize(mode.PelsWidth, mode.PelsHeight)) {
        return;
    }
    const std::unique_ptr<DisplayModeSource> source =
        OpenDisplayModeSource(screen->size().width(), screen->size().height(), screen->depth());
    mode.Fields = kChangeDepthAndSize;
    if (source->Change(mode) != 0) {
        return;
    }
    // The report is placed in the middle of the screen as Qt knows it, which
    // learns of the new size a little later.
    QDeadlineTimer deadline(1000);
    while (screen->size() != QSize(mode.PelsWidth, mode.PelsHeight) && !deadline.hasExpired()) {
        QCoreApplication::processEvents();
        QThread::msleep(20);
    }
}

} // namespace

int ShowFaultReport(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString report = QString::fromLocal8Bit(argv[2]);
    if (argc >= 5 && argv[3] == crash::kDesktopModeSwitch) {
        SetDesktopModeBack(argv[4]);
    }
    const std::string_view title = platform::kProgramTitle;
    QMessageBox box(QMessageBox::Critical,
                    QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())), report,
                    QMessageBox::Ok);
    box.setObjectName("FaultReport");
    box.exec();
    return 0;
}

} // namespace vimbrel
