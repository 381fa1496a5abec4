// Display modes on a real X server: a private Xvfb, whose one RandR output
// ("screen") starts with the screen's own mode and takes any mode that is
// no larger than the screen it started with. The test adds two smaller
// modes, and looks at the server through a connection of its own.

#include "display/XRandrModes.h"

#include "../program/VirtualDisplay.h"
#include "PlatformDoubles.h"
#include "display/ChangeResolution.h"
#include "state/ProgramState.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QWidget>
#include <cstring>
#include <gtest/gtest.h>

// Last: Xlib's macros would rewrite the headers above.
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

// Geometry in failure messages as the reader thinks of it, not as bytes.
static void PrintTo(const QRect& rect, std::ostream* out) {
    *out << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height();
}
static void PrintTo(const QSize& size, std::ostream* out) {
    *out << size.width() << "x" << size.height();
}

namespace vimbrel {
namespace {

// The test's own connection to the server, to set it up and to see what a
// change did without asking the code under test.
class ServerControl {
public:
    explicit ServerControl(const QString& name)
        : m_display(XOpenDisplay(name.toLatin1().constData())) {
        if (m_display == nullptr) {
            return;
        }
        XRRScreenResources* resources = Resources();
        if (resources->noutput > 0) {
            m_output = resources->outputs[0];
        }
        XRRFreeScreenResources(resources);
    }
    ~ServerControl() {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    bool ready() const { return m_display != nullptr && m_output != 0; }

    std::string OutputName() {
        XRRScreenResources* resources = Resources();
        XRROutputInfo* output = XRRGetOutputInfo(m_display, resources, m_output);
        std::string name(output->name, static_cast<std::size_t>(output->nameLen));
        XRRFreeOutputInfo(output);
        XRRFreeScreenResources(resources);
        return name;
    }

    // Creates a mode with the given timings and offers it on the output.
    RRMode AddMode(const char* name, unsigned width, unsigned height, unsigned long dotClock,
                   unsigned hTotal, unsigned vTotal) {
        XRRModeInfo info{};
        info.width = width;
        info.height = height;
        info.dotClock = dotClock;
        info.hSyncStart = width + 16;
        info.hSyncEnd = width + 48;
        info.hTotal = hTotal;
        info.vSyncStart = height + 3;
        info.vSyncEnd = height + 7;
        info.vTotal = vTotal;
        info.name = const_cast<char*>(name);
        info.nameLength = static_cast<unsigned>(std::strlen(name));
        const RRMode mode = XRRCreateMode(m_display, DefaultRootWindow(m_display), &info);
        XRRAddOutputMode(m_display, m_output, mode);
        XSync(m_display, False);
        return mode;
    }
    void WithdrawMode(RRMode mode) {
        XRRDeleteOutputMode(m_display, m_output, mode);
        XSync(m_display, False);
    }

    QSize ScreenSize() {
        Window root = 0;
        int x = 0;
        int y = 0;
        unsigned width = 0;
        unsigned height = 0;
        unsigned border = 0;
        unsigned depth = 0;
        XGetGeometry(m_display, DefaultRootWindow(m_display), &root, &x, &y, &width, &height,
                     &border, &depth);
        return {static_cast<int>(width), static_cast<int>(height)};
    }

    // The mode the output's CRTC shows.
    RRMode ShownMode() {
        XRRScreenResources* resources = Resources();
        XRROutputInfo* output = XRRGetOutputInfo(m_display, resources, m_output);
        XRRCrtcInfo* crtc = XRRGetCrtcInfo(m_display, resources, output->crtc);
        const RRMode mode = crtc->mode;
        XRRFreeCrtcInfo(crtc);
        XRRFreeOutputInfo(output);
        XRRFreeScreenResources(resources);
        return mode;
    }

private:
    XRRScreenResources* Resources() {
        return XRRGetScreenResources(m_display, DefaultRootWindow(m_display));
    }

    Display* m_display;
    RROutput m_output = 0;
};

class XRandrModesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(server.ready()) << "Xvfb did not start";
        ASSERT_TRUE(control.ready()) << "no RandR output on " << server.name().toStdString();
        ownMode = control.ShownMode();
        // 10 MHz over 528 x 314 is 60.3 Hz; 7.47 MHz over 400 x 250 is 74.7 Hz.
        mode400 = control.AddMode("400x300", 400, 300, 10'000'000, 528, 314);
        mode320 = control.AddMode("320x240", 320, 240, 7'470'000, 400, 250);
        source = XRandrModeSource::Open(server.name().toLatin1().constData());
        ASSERT_NE(source, nullptr);
    }

    VirtualDisplay server; // 640 x 480 x 24
    ServerControl control{server.name()};
    RRMode ownMode = 0;
    RRMode mode400 = 0;
    RRMode mode320 = 0;
    std::unique_ptr<XRandrModeSource> source;
};

TEST_F(XRandrModesTest, ListsTheOutputsModesInTheServersOrder) {
    EXPECT_EQ(control.OutputName(), "screen");
    EXPECT_EQ(source->DesktopColorDepth(), 24);

    struct Expected {
        int32_t width;
        int32_t height;
        int32_t frequency;
        RRMode id;
    };
    // Xvfb's own mode carries no timings, hence no refresh rate.
    const Expected expected[] = {
        {640, 480, 0, ownMode}, {400, 300, 60, mode400}, {320, 240, 75, mode320}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        const std::optional<DisplayMode> mode = source->Mode(i);
        ASSERT_TRUE(mode.has_value());
        EXPECT_EQ(mode->PelsWidth, expected[i].width);
        EXPECT_EQ(mode->PelsHeight, expected[i].height);
        EXPECT_EQ(mode->DisplayFrequency, expected[i].frequency);
        EXPECT_EQ(mode->BitsPerPel, 24);
        EXPECT_EQ(mode->PlatformId, expected[i].id);
        EXPECT_EQ(mode->Fields, 0u);
    }
    EXPECT_FALSE(source->Mode(3).has_value());
    EXPECT_FALSE(source->Mode(-1).has_value());
}

TEST_F(XRandrModesTest, SwitchingShrinksAndGrowsTheScreenWithTheMode) {
    EXPECT_EQ(source->Change(*source->Mode(2)), 0);
    EXPECT_EQ(control.ShownMode(), mode320);
    EXPECT_EQ(control.ScreenSize(), QSize(320, 240));

    EXPECT_EQ(source->Change(*source->Mode(1)), 0);
    EXPECT_EQ(control.ShownMode(), mode400);
    EXPECT_EQ(control.ScreenSize(), QSize(400, 300));

    EXPECT_EQ(source->Change(*source->Mode(0)), 0);
    EXPECT_EQ(control.ShownMode(), ownMode);
    EXPECT_EQ(control.ScreenSize(), QSize(640, 480));

    // The mode already shown: nothing to do, and done.
    EXPECT_EQ(source->Change(*source->Mode(0)), 0);
    EXPECT_EQ(control.ScreenSize(), QSize(640, 480));
}

TEST_F(XRandrModesTest, ModeNoLongerOfferedIsRefusedAndTheScreenStays) {
    control.WithdrawMode(mode400);
    EXPECT_EQ(source->Change(*source->Mode(1)), XRandrModeSource::kModeGone);

    // An id that now names a mode of another size is not taken either.
    DisplayMode stale = *source->Mode(2);
    stale.PelsWidth = 321;
    EXPECT_EQ(source->Change(stale), XRandrModeSource::kModeGone);

    EXPECT_EQ(control.ShownMode(), ownMode);
    EXPECT_EQ(control.ScreenSize(), QSize(640, 480));
}

// The program's own path: the table filled at start-up, a folder's mode,
// and the desktop's mode again at the end.
TEST_F(XRandrModesTest, ShowSwitchesToAFoldersModeAndBack) {
    ProgramState state;
    EnumerateDisplayModes(state.display, *source, 640 * 15, 480 * 15);
    EXPECT_EQ(state.display.ModeCount, 2);
    EXPECT_EQ(state.display.FirstModeIndex, 0);
    EXPECT_EQ(state.display.CurrentModeIndex, 0);

    test::AnsweringMessageBoxes boxes;
    QWidget form;
    const int16_t resolution = 2;
    ChangeResolution(state.display, state.screen, *source, boxes, &form,
                     state.display.FirstModeIndex + resolution);
    EXPECT_EQ(control.ScreenSize(), QSize(320, 240));
    EXPECT_EQ(state.screen.ScreenWidth, 320 * 15);
    EXPECT_EQ(form.geometry(), QRect(0, 0, 320, 240));

    ChangeResolution(state.display, state.screen, *source, boxes, nullptr,
                     state.display.CurrentModeIndex);
    EXPECT_EQ(control.ScreenSize(), QSize(640, 480));
    EXPECT_EQ(state.screen.ScreenWidth, 640 * 15);
    EXPECT_TRUE(boxes.shown.empty());
}

TEST(XRandrModeSource, NoServerMeansNoSource) {
    EXPECT_EQ(XRandrModeSource::Open(":4999"), nullptr);
}

// Where the GUI is not on X11 (here Qt's offscreen platform), the program
// keeps the screen as it is, even with an X server at hand.
TEST(OpenDisplayModeSource, OffX11TheScreenStaysAsItIs) {
    VirtualDisplay server;
    ASSERT_TRUE(server.ready());
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", server.name().toLatin1());
    const std::unique_ptr<DisplayModeSource> source = OpenDisplayModeSource(800, 600, 24);
    qputenv("DISPLAY", previous);

    ASSERT_NE(source, nullptr);
    EXPECT_EQ(dynamic_cast<XRandrModeSource*>(source.get()), nullptr);
    EXPECT_EQ(source->DesktopColorDepth(), 24);
    const std::optional<DisplayMode> own = source->Mode(0);
    ASSERT_TRUE(own.has_value());
    EXPECT_EQ(own->PelsWidth, 800);
    EXPECT_EQ(own->PelsHeight, 600);
    EXPECT_FALSE(source->Mode(1).has_value());
    EXPECT_EQ(source->Change(*own), 0);
    DisplayMode other = *own;
    other.PelsWidth = 640;
    EXPECT_NE(source->Change(other), 0);
}

// Qt on the X server itself: the program's source is XRandR's, and after a
// switch Qt's screen and the show's window take the mode's size. Runs in a
// child process that XRandrModesTest.QtOnTheServerFollowsASwitch starts
// with Qt's xcb platform on the private server; skipped anywhere else.
TEST(XRandrUnderQt, ScreenAndWindowFollowASwitch) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        GTEST_SKIP() << "runs in the child of XRandrModesTest.QtOnTheServerFollowsASwitch";
    }
    const std::unique_ptr<DisplayModeSource> source = OpenDisplayModeSource(0, 0, 0);
    ASSERT_NE(dynamic_cast<XRandrModeSource*>(source.get()), nullptr);
    ProgramState state;
    EnumerateDisplayModes(state.display, *source, 640 * 15, 480 * 15);
    ASSERT_EQ(state.display.ModeCount, 2);

    test::AnsweringMessageBoxes boxes;
    QWidget form;
    form.setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    form.setGeometry(0, 0, 640, 480);
    form.show();
    QScreen* screen = QGuiApplication::primaryScreen();
    for (const QSize size : {QSize(320, 240), QSize(400, 300), QSize(640, 480)}) {
        SCOPED_TRACE(size.width());
        const int32_t index = size.width() == 320 ? 2 : size.width() == 400 ? 1 : 0;
        ChangeResolution(state.display, state.screen, *source, boxes, &form, index);
        EXPECT_TRUE(WaitFor(
            [&] {
                QCoreApplication::processEvents();
                return screen->size() == size;
            },
            5000))
            << "Qt's screen stayed " << screen->size().width() << "x" << screen->size().height();
        EXPECT_EQ(form.geometry(), QRect(QPoint(0, 0), size));
    }
    EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(XRandrModesTest, QtOnTheServerFollowsASwitch) {
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.insert("DISPLAY", server.name());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start("/proc/self/exe", {"--gtest_filter=XRandrUnderQt.*"});
    ASSERT_TRUE(child.waitForFinished(60000));
    const QString output = QString::fromLocal8Bit(child.readAll());
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
    EXPECT_FALSE(output.contains("SKIPPED")) << output.toStdString();
}

} // namespace
} // namespace vimbrel
