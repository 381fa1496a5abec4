// The preview's arithmetic, and its form on a screen without host windows
// (the X11 side runs end to end in tests/program/ModesEndToEndTest.cpp).

#include "preview/ControlForm.h"

#include "PlatformDoubles.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTimer>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

// The panel fills the host's client area at 15 twips a pixel; r1 picks the
// icon's top and r2 its left within what the panel leaves free.
TEST(Preview, PanelFillsTheHostAndTheIconStaysOnIt) {
    const TwipsSize panel = PanelSize({10, 20, 110, 70});
    const TwipsPoint place = IconPlace({2280, 1680}, {480, 480}, 0.5f, 0.25f);
    EXPECT_EQ(std::tuple(panel.width, panel.height, place.top, place.left),
              std::tuple(1500.0, 750.0, 600.0, 450.0));
}

// The offscreen platform has no windows of other programs, as a missing or
// wrong id on X11 has none: the panel stays hidden, and the next tick ends
// the preview, as it does after the host's request to close the panel.
TEST(Preview, WithoutAHostOrOnACloseRequestTheNextTickUnloadsOnce) {
    test::TestPlatform platform;
    PreviewState state;
    ControlForm form(state, platform.random, 1234);
    QSignalSpy unloaded(&form, &ControlForm::unloaded);
    form.Form_Load();
    EXPECT_EQ(state.PreviewActive, -1);
    EXPECT_FALSE(form.Picture1->isVisible());
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_EQ(form.Picture2->pixmap().size(), QSize(32, 32));

    form.PreviewWindowProc();
    EXPECT_EQ(state.PreviewActive, 0);
    EXPECT_EQ(unloaded.count(), 0); // not before the next tick
    EXPECT_TRUE(unloaded.wait(3000));
    EXPECT_FALSE(form.Timer1->isActive());
    form.Timer1_Timer(); // a late tick unloads nothing twice
    EXPECT_EQ(unloaded.count(), 1);
}

} // namespace
} // namespace vimbrel
