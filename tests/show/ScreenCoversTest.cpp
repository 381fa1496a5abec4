// The show on a desktop of two screens (Qt's offscreen platform set up with
// two): it plays on the primary screen, and the other is covered in the
// folder's background colour for as long as the show runs.

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
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    auto form = Start({.background = 0x0000FF});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 600));

    const std::vector<QWidget*> covers = Covers();
    ASSERT_EQ(covers.size(), 1U);
    EXPECT_EQ(covers[0]->geometry(), QRect(800, 0, 1024, 768));
    EXPECT_EQ(covers[0]->grab().toImage().pixelColor(10, 10), QColor(255, 0, 0));

    // Pointer events over the cover count like those over the show.
    MoveOver(covers[0], {5, 5});
    MoveOver(covers[0], {6, 6});
    EXPECT_EQ(state.MouseMoveCount, 2);

    form->close();
    EXPECT_TRUE(Covers().empty());
}

} // namespace
} // namespace vimbrel
