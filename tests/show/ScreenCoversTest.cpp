// The show on a desktop of two screens (Qt's offscreen platform set up with
// two, the primary one of double density): it plays on the primary screen,
// the other is covered in the folder's background colour for as long as the
// show runs, and pictures are decoded for the device's pixels.

#include "show/ScreenCovers.h"

#include "ShowWindowFixture.h"
#include "show/PictureArea.h"

#include <QGuiApplication>
#include <QScreen>

namespace vimbrel {
namespace {

std::vector<QWidget*> Covers() {
    std::vector<QWidget*> covers;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == "ScreenCover" && widget->isVisible()) {
            covers.push_back(widget);
        }
    }
    return covers;
}

TEST_F(ShowWindow, OtherScreensAreCoveredInTheFoldersColourWhileTheShowRuns) {
    ASSERT_EQ(QGuiApplication::screens().size(), 2) << "the two-screen set-up is missing";
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    auto form = Start({.background = 0x0000FF});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));

    const std::vector<QWidget*> covers = Covers();
    ASSERT_EQ(covers.size(), 1U);
    EXPECT_EQ(covers[0]->geometry(), QRect(800, 0, 1024, 768));
    EXPECT_EQ(covers[0]->grab().toImage().pixelColor(10, 10), QColor(255, 0, 0));

    // Pointer events over the cover count like those over the show.
    MoveOver(covers[0], {5, 5});
    EXPECT_EQ(state.MouseMoveCount, 1);

    form->close();
    EXPECT_TRUE(Covers().empty());
}

TEST_F(ShowWindow, PicturesAreDecodedForTheDevicePixelsOfADenseScreen) {
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    // 1600 x 1200 sized down to the 800 x 600 screen (less the caption's
    // room): the layout is in logical pixels, the picture has twice as many.
    WritePicture(pictures / "big.jpg", 1600, 1200, Qt::red);
    WritePicture(pictures / "small.jpg", 64, 48, Qt::blue);
    auto form = Start({.captions = 0, .imageScale = 2});
    const QSize area = form->Image1->size();
    EXPECT_LE(area.width(), 800);
    EXPECT_LE(area.height(), 600);
    EXPECT_NEAR(form->Image1->Picture().width(), 2 * area.width(), 2);
    EXPECT_NEAR(form->Image1->Picture().height(), 2 * area.height(), 2);
    // A picture smaller than its area is never decoded above its own size.
    Ticks(*form, 5);
    ASSERT_EQ(Shown(), "small.jpg");
    EXPECT_EQ(form->Image1->Picture().size(), QSize(64, 48));
}

} // namespace
} // namespace vimbrel
