// The show window with real pictures: what it shows, how it paces, what it
// does with files it cannot show, and how it ends.

#include "show/MainForm.h"

#include "ShowWindowFixture.h"
#include "controls/PasswordPrompt.h"
#include "controls/Passwords.h"
#include "media/MediaPlayer.h"
#include "platform/Registry.h"
#include "platform/WindowTitleLock.h"
#include "show/CaptionLabel.h"
#include "show/Emblem.h"
#include "show/PictureArea.h"
#include "startup/Main.h"
#include "state/ProgramState.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST_F(ShowWindow, ShowsThePictureCentredOnTheBackgroundWithItsCaption) {
    test::WritePicture(pictures / "photo.jpg", 320, 240, Qt::red);
    auto form = Start({.captions = 1, .background = 0x00FF00});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(form->windowTitle(), "Screensaver: Vimbrel");
    ASSERT_TRUE(form->Image1->isVisible());
    // (800 px less the caption's 25) centred: top (775 - 240) / 2.
    EXPECT_EQ(form->Image1->geometry(), QRect(240, 268, 320, 240));
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_EQ(form->Label1->Caption(), "photo");
    EXPECT_EQ(form->Label1->geometry().top(), form->Image1->geometry().bottom() + 1);

    const QImage screen = form->grab().toImage();
    EXPECT_TRUE(Near(screen.pixelColor(400, 380), Qt::red));
    EXPECT_EQ(screen.pixelColor(5, 5), QColor(0, 255, 0));
    EXPECT_FALSE(platform.cursor.visible());
}

TEST_F(ShowWindow, PacesItemsAndComesBackToTheFirst) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WritePicture(pictures / "B.bmp", 64, 48, Qt::blue);
    test::WritePicture(pictures / "c.gif", 64, 48, Qt::yellow);
    auto form = Start({.interval = 1});
    EXPECT_EQ(form->Timer1->interval(), 1000);
    EXPECT_EQ(state.catalogue.CurrentFile, "a.jpg");
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.CurrentFile, "a.jpg");
    Ticks(*form, 1);
    EXPECT_EQ(state.catalogue.CurrentFile, "B.bmp");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::blue));
    Ticks(*form, 6);
    EXPECT_EQ(state.catalogue.CurrentFile, "a.jpg");
}

TEST_F(ShowWindow, UnreadablePicturesAreMarkedRecordedAndShownAsTheEmblemNextTime) {
    test::WriteBytes(pictures / "broken.jpg", "this is not a picture");
    test::WriteBytes(pictures / "empty.gif", "");
    test::WritePicture(pictures / "fine.jpg", 64, 48, Qt::red);
    auto form = Start({.interval = 0});
    EXPECT_EQ(form->Timer1->interval(), 10);
    EXPECT_TRUE(std::filesystem::exists(pictures / "_broken.jpg"));
    EXPECT_FALSE(std::filesystem::exists(pictures / "broken.jpg"));
    EXPECT_EQ(LastFileName(), "broken.jpg");
    EXPECT_EQ(state.catalogue.PlayList[0], "_broken.jpg");
    EXPECT_EQ(ReadBytes(pictures / "_broken.jpg"), "this is not a picture");

    Ticks(*form, 2); // empty.gif
    EXPECT_TRUE(std::filesystem::exists(pictures / "_empty.gif"));
    EXPECT_EQ(LastFileName(), "empty.gif");
    Ticks(*form, 4); // fine.jpg, then round to the marked entry
    EXPECT_EQ(state.catalogue.CurrentFile, "_broken.jpg");
    EXPECT_EQ(form->Image1->Picture().size(), QSize(kEmblemWidth, kEmblemHeight));
    EXPECT_EQ(form->Image1->size(), QSize(kEmblemWidth, kEmblemHeight));
}

TEST_F(ShowWindow, PictureBelowTheMinimumWidthIsRenamedButShownThisTime) {
    test::WritePicture(pictures / "photo.jpg", 320, 240, Qt::red);
    auto form = Start({.captions = 1, .options = CrLf({"MinWidth=640"})});
    EXPECT_TRUE(std::filesystem::exists(pictures / "_640_photo.jpg"));
    EXPECT_EQ(state.catalogue.PlayList[0], "_640_photo.jpg");
    EXPECT_EQ(form->Label1->Caption(), "photo");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::red));
}

TEST_F(ShowWindow, SizeRenameNeverReplacesAnotherFile) {
    test::WritePicture(pictures / "photo.jpg", 320, 240, Qt::red);
    test::WriteBytes(pictures / "_640_photo.jpg", "someone else's file");
    auto form = Start({.options = CrLf({"MinWidth=640"})});
    EXPECT_EQ(ReadBytes(pictures / "_640_photo.jpg"), "someone else's file");
    EXPECT_TRUE(std::filesystem::exists(pictures / "_photo.jpg"));
    EXPECT_EQ(state.catalogue.PlayList[0], "_photo.jpg");
}

TEST_F(ShowWindow, PicturesStandUprightAndHugeHeadersDoNotExhaustMemory) {
    test::WriteTurnedJpeg(pictures / "a-turned.jpg", 200, 100);
    test::WriteHugeHeaderJpeg(pictures / "b-huge.jpg");
    auto form = Start({.interval = 0, .imageScale = 2});
    EXPECT_EQ(form->Image1->size(), QSize(100, 200));
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.CurrentFile, "b-huge.jpg");
    EXPECT_TRUE(std::filesystem::exists(pictures / "_b-huge.jpg"));
}

TEST_F(ShowWindow, AnyCharacterKeyEndsTheShowButOtherKeysDoNot) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    auto form = Start();
    QTest::keyClick(form.get(), Qt::Key_Left);
    QTest::keyClick(form.get(), Qt::Key_F5);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(platform::IsWindowAbsent(kSlideshowTitle)); // a second show would end at once
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(platform.cursor.visible());
    EXPECT_TRUE(platform::IsWindowAbsent(kSlideshowTitle));
}

TEST_F(ShowWindow, MouseEndsTheShowOnlyByTheCountingRule) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    auto form = Start();
    platform.clock.seconds = 1000;
    MoveOver(form.get(), QPoint(10, 10));
    MoveOver(form.get(), QPoint(20, 20));
    platform.clock.seconds = 1011;
    MoveOver(form.get(), QPoint(30, 30)); // clears the count
    EXPECT_EQ(state.MouseMoveCount, 0);
    EXPECT_TRUE(form->isVisible());
    // A click on the picture counts twice: the press and the click.
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    EXPECT_TRUE(form->isVisible());
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ShowWindow, CaptionClicksDoNotCount) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    auto form = Start({.captions = 1});
    for (int i = 0; i < 6; ++i) {
        QTest::mouseClick(form->Label1, Qt::LeftButton);
    }
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(state.MouseMoveCount, 0);
}

TEST_F(ShowWindow, WithAPasswordTheShowEndsOnlyForTheRightOne) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    platform::WriteRegistryNumber(platform.profiles, platform::kCurrentUserRoot,
                                  "Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    StoreScreenSavePassword(platform.settingsDirectory(), "sesame");
    auto form = Start();
    EXPECT_EQ(form->password().UsePassword, 1);

    AnswerPasswordPrompt("wrong");
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(platform.cursor.visible());

    AnswerPasswordPrompt("sesame");
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_FALSE(form->isVisible());
}

// With the password switch on, the show never ends unasked: a missing hash
// file means no password was ever set and the empty entry passes; a damaged
// one passes nothing, and the prompt says how to mend it.
TEST_F(ShowWindow, WithThePasswordSwitchOnAMissingOrDamagedFileStillAsks) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    platform::WriteRegistryNumber(platform.profiles, platform::kCurrentUserRoot,
                                  "Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    test::WriteBytes(platform / "password", "not a hash");
    auto form = Start();

    QString notice;
    QTimer::singleShot(50, [&notice] {
        if (QWidget* prompt = QApplication::activeModalWidget()) {
            if (auto* label = prompt->findChild<QLabel*>(kPasswordNoticeName)) {
                notice = label->text();
            }
        }
    });
    AnswerPasswordPrompt("");
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(notice.contains("damaged")) << notice.toStdString();
    EXPECT_TRUE(notice.contains("vimbrel /A")) << notice.toStdString();

    std::filesystem::remove(platform / "password");
    AnswerPasswordPrompt("anything");
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_TRUE(form->isVisible());
    AnswerPasswordPrompt("");
    QTest::keyClick(form.get(), Qt::Key_Q);
    EXPECT_FALSE(form->isVisible());
}

// A folder without a supported file at the start: the show names it and the
// program ends, the cursor shown again.
TEST_F(ShowWindow, FolderWithoutSupportedFilesEndsTheProgramNamingIt) {
    for (const char* name : {"notes.txt", "_marked.jpg", ".hidden.jpg"}) {
        test::WriteBytes(pictures / name, "");
    }
    test::WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(platform / "vimbrel000.ini",
                     CrLf({"[Options]", "RandomFolder=0", "Folders=1", "[Folder1]",
                           "Set=" + pictures.path().string()}));
    ASSERT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
    MainForm form(state, platform.services);
    try {
        form.Form_Load();
        ADD_FAILURE() << "the program did not end";
    } catch (const test::ProcessEnded& ended) {
        EXPECT_EQ(ended.exitCode, 0);
    }
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text,
              "Could not find any supported files in " +
                  std::filesystem::canonical(pictures.path()).string());
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_TRUE(platform.cursor.visible());
}

} // namespace
} // namespace vimbrel
