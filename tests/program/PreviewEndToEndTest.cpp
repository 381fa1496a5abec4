// The preview of mode /P in a host's window on a virtual X server: the
// panel moves into the window the host lends and fills it, its icon jumps,
// and the preview ends when the host destroys its window or asks the panel
// to close, or at once when the id names no window.

#include "HostWindow.h"
#include "TempDirectory.h"
#include "VirtualDisplay.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::HostWindow;
using test::TempDirectory;

// What a program prints on the virtual display.
QString Output(const VirtualDisplay& display, const QString& program,
               const QStringList& arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DISPLAY", display.name());
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

class PreviewEndToEnd : public ::testing::Test {
protected:
    void Start(const QStringList& arguments) {
        started.start();
        ASSERT_TRUE(StartProgram(preview, ProgramEnvironment(display, home.path(), runtime.path()),
                                 arguments));
    }
    // The panel, once it is in the host's window.
    uint32_t WaitForPanel(HostWindow& host) {
        uint32_t panel = 0;
        WaitFor(
            [&] {
                const std::vector<uint32_t> children = host.Children();
                panel = children.empty() ? 0 : children.front();
                return panel != 0;
            },
            15000);
        return panel;
    }
    // The host's part of the screen, where the icon jumps.
    QImage HostArea() { return display.Screenshot().copy(10, 10, 152, 112); }

    VirtualDisplay display;
    TempDirectory home, runtime;
    QProcess preview;
    QElapsedTimer started;
};

TEST_F(PreviewEndToEnd, PanelFillsTheHostWindowIconJumpsAndTheEndFollowsTheHost) {
    ASSERT_TRUE(display.ready()) << "Xvfb did not start";
    HostWindow host(display.name(), 152, 112);
    ASSERT_NE(host.id(), 0u);
    Start({"/p", QString::number(host.id())});

    const uint32_t panel = WaitForPanel(host);
    ASSERT_NE(panel, 0u) << "the panel did not move into the host's window";
    // X's own tree says the same.
    const QString tree =
        Output(display, "xwininfo", {"-children", "-id", QString::number(host.id())});
    EXPECT_TRUE(tree.contains("1 child:")) << tree.toStdString();
    EXPECT_TRUE(tree.contains(QString("0x%1").arg(panel, 0, 16))) << tree.toStdString();
    const QString geometry = Output(display, "xwininfo", {"-id", QString::number(panel)});
    EXPECT_TRUE(geometry.contains("Width: 152")) << geometry.toStdString();
    EXPECT_TRUE(geometry.contains("Height: 112")) << geometry.toStdString();
    EXPECT_TRUE(geometry.contains("Relative upper-left X:  0")) << geometry.toStdString();

    // The icon stands somewhere else after each tick.
    // Screenshots are slow on a busy machine: each one is compared with the
    // first of the drawn panel, rather than two taken back to back, which a
    // tick may not fall between.
    QImage before;
    ASSERT_TRUE(WaitFor(
        [&] {
            before = HostArea();
            return !before.isNull() && before.pixelColor(0, 0) == Qt::black;
        },
        10000))
        << "the panel was not drawn";
    ASSERT_TRUE(WaitFor([&] { return HostArea() != before; }, 10000))
        << "nothing moved on the panel";

    host.Destroy();
    QElapsedTimer sinceDestroyed;
    sinceDestroyed.start();
    ASSERT_TRUE(preview.waitForFinished(5000)) << "the preview outlived its host's window";
    EXPECT_LT(sinceDestroyed.elapsed(), 2000);
    EXPECT_EQ(preview.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(preview.exitCode(), 0);
}

TEST_F(PreviewEndToEnd, CloseRequestTakesThePanelOutAtOnceAndEndsAtTheNextTick) {
    ASSERT_TRUE(display.ready());
    HostWindow host(display.name(), 200, 150);
    Start({"/P", QString::number(host.id())});
    const uint32_t panel = WaitForPanel(host);
    ASSERT_NE(panel, 0u);

    host.SendCloseRequest(panel);
    QElapsedTimer sinceRequest;
    sinceRequest.start();
    EXPECT_TRUE(WaitFor([&] { return host.Children().empty(); }, 500))
        << "the panel stayed in the host's window";
    ASSERT_TRUE(preview.waitForFinished(5000));
    EXPECT_LT(sinceRequest.elapsed(), 2000);
    EXPECT_EQ(preview.exitCode(), 0);
    // The host's window itself is the host's: it is still there.
    EXPECT_TRUE(
        Output(display, "xwininfo", {"-id", QString::number(host.id())}).contains("Width: 200"));
}

TEST_F(PreviewEndToEnd, AnIdThatNamesNoWindowEndsAboutASecondAfterTheStart) {
    ASSERT_TRUE(display.ready());
    const QStringList cases[] = {
        {"/p"}, {"/p", "garbage"}, {"/p", "0"}, {"/p", "123456789"}, {"/p:1234"}};
    for (const QStringList& arguments : cases) {
        Start(arguments);
        ASSERT_TRUE(preview.waitForFinished(10000)) << arguments.join(' ').toStdString();
        EXPECT_GE(started.elapsed(), 1000) << arguments.join(' ').toStdString();
        EXPECT_LT(started.elapsed(), 5000) << arguments.join(' ').toStdString();
        EXPECT_EQ(preview.exitCode(), 0);
        EXPECT_TRUE(std::filesystem::exists(home / "vimbrel000.ini"));
    }
}

} // namespace
} // namespace vimbrel
