// The preview's arithmetic, and its form on a screen without host windows
// (the X11 side runs end to end in tests/program/PreviewEndToEndTest.cpp).

#include "preview/ControlForm.h"

#include "PlatformDoubles.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST(PreviewLayout, PanelFillsTheHostInTwips) {
    struct Case {
        platform::ClientRect rect;
        double width, height;
    };
    for (const Case& c : {Case{{0, 0, 152, 112}, 2280, 1680}, Case{{0, 0, 0, 0}, 0, 0},
                          Case{{10, 20, 110, 70}, 1500, 750}}) {
        const TwipsSize size = PanelSize(c.rect);
        EXPECT_EQ(size.width, c.width);
        EXPECT_EQ(size.height, c.height);
    }
}

TEST(PreviewLayout, IconStaysOnThePanel) {
    const TwipsSize panel{2280, 1680};
    const TwipsSize icon{480, 480};
    struct Case {
        float r1, r2;
        double top, left;
    };
    for (const Case& c : {Case{0, 0, 0, 0}, Case{0.5f, 0.25f, 600, 450},
                          Case{0.99999994f, 0.99999994f, 1199.99993, 1799.99989}}) {
        const TwipsPoint place = IconPlace(panel, icon, c.r1, c.r2);
        EXPECT_NEAR(place.top, c.top, 0.001);
        EXPECT_NEAR(place.left, c.left, 0.001);
        EXPECT_LE(place.top, 1680 - 480);
        EXPECT_LE(place.left, 2280 - 480);
    }
}

class Preview : public ::testing::Test {
protected:
    test::TestPlatform platform;
    PreviewState state;
};

// The offscreen platform has no windows of other programs, as a missing or
// wrong id on X11 has none: the first tick ends the preview.
TEST_F(Preview, WithoutAHostWindowTheFirstTickUnloads) {
    ControlForm form(state, platform.random, 1234);
    QSignalSpy unloaded(&form, &ControlForm::unloaded);
    form.Form_Load();
    EXPECT_EQ(state.PreviewActive, -1);
    EXPECT_EQ(form.Picture1->size(), QSize(0, 0));
    EXPECT_FALSE(form.Picture1->isVisible());
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_EQ(form.Picture2->pixmap().size(), QSize(32, 32));

    EXPECT_TRUE(unloaded.wait(3000));
    EXPECT_EQ(unloaded.count(), 1);
    EXPECT_FALSE(form.Timer1->isActive());
}

TEST_F(Preview, CloseRequestEndsThePreviewAtTheNextTick) {
    ControlForm form(state, platform.random, 0);
    QSignalSpy unloaded(&form, &ControlForm::unloaded);
    form.Form_Load();
    form.PreviewWindowProc();
    EXPECT_EQ(state.PreviewActive, 0);
    EXPECT_FALSE(form.Picture1->isVisible());
    EXPECT_EQ(unloaded.count(), 0);
    form.Timer1_Timer();
    EXPECT_EQ(unloaded.count(), 1);
    form.Timer1_Timer(); // a late tick unloads nothing twice
    EXPECT_EQ(unloaded.count(), 1);
}

} // namespace
} // namespace vimbrel
