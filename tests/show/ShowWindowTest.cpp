// The show window over real pictures: what it shows and how it paces, what
// it does with files it cannot show, how the viewer's keys steer it, and how
// the pointer, the keys and the password end it.

#include "EventLoopWait.h"
#include "ShowWindowFixture.h"
#include "controls/Passwords.h"
#include "platform/Registry.h"
#include "platform/WindowTitleLock.h"
#include "show/CaptionLabel.h"
#include "show/Emblem.h"
#include "show/MarkedFiles.h"
#include "show/PictureArea.h"

#include <QLabel>
#include <QProcess>

namespace vimbrel {
namespace {

void UsePassword(test::TestPlatform& platform, const char* password) {
    platform::WriteRegistryNumber(platform.profiles, platform::kCurrentUserRoot,
                                  "Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    if (password != nullptr) {
        StoreScreenSavePassword(platform.settingsDirectory(), password);
    }
}

TEST_F(ShowWindow, PicturesAreCentredCaptionedAndPacedRoundTheFolder) {
    test::WritePicture(pictures / "a.jpg", 320, 240, Qt::red);
    test::WritePicture(pictures / "B.bmp", 64, 48, Qt::blue);
    test::WritePicture(pictures / "c.gif", 64, 48, Qt::yellow);
    auto form = Start({.captions = 1, .background = 0x00FF00, .interval = 1});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(form->windowTitle(), "Screensaver: Vimbrel");
    // Centred in the 800 px less the caption's 25: top (775 - 240) / 2.
    EXPECT_EQ(form->Image1->geometry(), QRect(240, 268, 320, 240));
    EXPECT_EQ(form->Label1->Caption(), "a");
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_EQ(form->Label1->geometry().top(), form->Image1->geometry().bottom() + 1);
    const QImage screen = form->grab().toImage();
    EXPECT_TRUE(Near(screen.pixelColor(400, 380), Qt::red));
    EXPECT_EQ(screen.pixelColor(5, 5), QColor(0, 255, 0));
    EXPECT_FALSE(platform.cursor.visible());
    EXPECT_EQ(form->Timer1->interval(), 1000);
    Ticks(*form, 2);
    EXPECT_EQ(Shown(), "a.jpg");
    Ticks(*form, 1);
    EXPECT_EQ(Shown(), "B.bmp");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::blue));
    Ticks(*form, 6);
    EXPECT_EQ(Shown(), "a.jpg");
}

TEST_F(ShowWindow, FilesThatCannotBeShownAreMarkedRecordedAndPassedOver) {
    test::WritePicture(pictures / "a \xE9t\xE9.jpg", 40, 30, Qt::red); // not UTF-8
    test::WriteBytes(pictures / "b bad\nname.jpg", "garbage");
    test::WriteBytes(pictures / "c.gif", "");
    test::WritePicture(pictures / "d.jpg", 40, 30, Qt::red);
    test::WriteTurnedJpeg(pictures / "e-turned.jpg", 200, 100);
    test::WriteHugeHeaderJpeg(pictures / "f-huge.jpg");
    test::WritePicture(pictures / "g Tom & Jerry.bmp", 40, 30, Qt::blue);
    auto form = Start({.captions = 1, .interval = 0, .imageScale = 2});
    EXPECT_EQ(form->Timer1->interval(), 10);
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::red));
    Ticks(*form, 2);
    EXPECT_EQ(ReadBytes(pictures / "_b bad\nname.jpg"), "garbage");
    EXPECT_EQ(state.catalogue.PlayList[1], "_b bad\nname.jpg");
    // The line break cannot split the settings line into forged keys.
    EXPECT_EQ(LastFileName(), "b bad?name.jpg");
    Ticks(*form, 2);
    EXPECT_TRUE(std::filesystem::exists(pictures / "_c.gif"));
    EXPECT_EQ(LastFileName(), "c.gif");
    std::filesystem::remove(pictures / "d.jpg"); // gone before its turn
    Ticks(*form, 2);
    EXPECT_EQ(state.catalogue.PlayList[3], "_d.jpg");
    EXPECT_FALSE(std::filesystem::exists(pictures / "_d.jpg"));
    Ticks(*form, 2);
    EXPECT_EQ(form->Image1->size(), QSize(100, 200)); // upright
    Ticks(*form, 2);
    EXPECT_TRUE(std::filesystem::exists(pictures / "_f-huge.jpg")); // refused, not decoded
    Ticks(*form, 2);
    EXPECT_EQ(form->Label1->Caption(), "g Tom && Jerry");
    Ticks(*form, 4); // round to the marked entry: the emblem
    EXPECT_EQ(Shown(), "_b bad\nname.jpg");
    EXPECT_EQ(form->Image1->Picture().size(), QSize(kEmblemWidth, kEmblemHeight));
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ShowWindow, SizeLimitsRenameButShowThisTimeAndNeverReplaceAFile) {
    test::WritePicture(pictures / "a.jpg", 320, 240, Qt::red);
    test::WritePicture(pictures / "b.jpg", 320, 240, Qt::red);
    test::WriteBytes(pictures / "_640_b.jpg", "someone else's file");
    auto form = Start({.captions = 1, .interval = 0, .options = CrLf({"MinWidth=640"})});
    EXPECT_TRUE(std::filesystem::exists(pictures / "_640_a.jpg"));
    EXPECT_EQ(state.catalogue.PlayList[0], "_640_a.jpg");
    EXPECT_EQ(form->Label1->Caption(), "a");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::red));
    Ticks(*form, 2);
    EXPECT_EQ(ReadBytes(pictures / "_640_b.jpg"), "someone else's file");
    EXPECT_TRUE(std::filesystem::exists(pictures / "_b.jpg"));
}

TEST_F(ShowWindow, AnimatedGifOfAThousandFramesShowsItsFirstFrame) {
    ASSERT_EQ(
        QProcess::execute("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "color=red:s=32x24:r=100",
                                     "-frames:v", "1000",
                                     QString::fromStdString((pictures / "anim.gif").string())}),
        0);
    auto form = Start();
    EXPECT_EQ(form->Image1->size(), QSize(32, 24));
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::red));
}

TEST_F(ShowWindow, KeysSteerTheShowAndOnlyCharactersEndIt) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WritePicture(pictures / "b.jpg", 64, 48, Qt::green);
    test::WritePicture(pictures / "c.jpg", 64, 48, Qt::blue);
    auto form = Start({.captions = 2, .interval = 5, .options = kSpecialKeys + "key_Beep=1\r\n"});
    const std::string stored = ReadBytes(platform / "vimbrel000.ini");
    state.MouseMoveCount = 2;
    // Keys that type nothing, and Delete's DEL, neither act nor end it.
    for (const auto& [key, text] : {std::pair<int, const char*>{Qt::Key_Delete, "\x7f"},
                                    {Qt::Key_Left, ""},
                                    {Qt::Key_F1, ""},
                                    {Qt::Key_Shift, ""}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(form.get(), &press);
    }
    EXPECT_EQ(state.MouseMoveCount, 2);
    for (const auto& [key, expected] : std::vector<std::pair<char, const char*>>{
             {'n', "b.jpg"}, {'N', "c.jpg"}, {'n', "a.jpg"}, {'p', "c.jpg"}, {'P', "b.jpg"}}) {
        Type(*form, key);
        EXPECT_EQ(Shown(), expected) << key;
    }
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::green));
    EXPECT_EQ(state.MouseMoveCount, 0);
    for (int i = 0; i < 300; ++i) { // a held key: 300 steps round three pictures
        QKeyEvent press(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n", true);
        QApplication::sendEvent(form.get(), &press);
    }
    EXPECT_EQ(Shown(), "b.jpg");

    Type(*form, 'f'); // captions off and on, in memory only
    EXPECT_FALSE(form->Label1->isVisible());
    EXPECT_EQ(state.model.FolderTable[1].Captions, 0);
    Type(*form, 'F');
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), stored);

    Type(*form, 'z'); // pause holds the picture
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Label1->Caption(), "b (paused)");
    Type(*form, 'n'); // next keeps the pause; the new caption has no mark
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Label1->Caption(), "c");
    Type(*form, 'Z'); // going on moves on at once
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(Shown(), "a.jpg");
    Type(*form, 's'); // one folder: next folder only beeps
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_EQ(platform.messageBoxes.beeps, 311);

    test::WriteBytes(pictures / "_b.jpg", "someone else's file");
    Type(*form, 'r'); // a.jpg out of the show
    EXPECT_TRUE(std::filesystem::exists(pictures / "_a.jpg"));
    EXPECT_EQ(state.catalogue.PlayList[0], "_a.jpg");
    EXPECT_EQ(Shown(), "b.jpg");
    Type(*form, 'r'); // "_b.jpg" is taken: b.jpg keeps its name
    EXPECT_EQ(ReadBytes(pictures / "_b.jpg"), "someone else's file");
    EXPECT_TRUE(std::filesystem::exists(pictures / "b.jpg"));
    std::filesystem::remove(pictures / "c.jpg");
    Type(*form, 'r'); // a vanished file: nothing to rename
    EXPECT_EQ(Shown(), "_a.jpg");
    Type(*form, 'r'); // marked already: it only moves on
    EXPECT_FALSE(std::filesystem::exists(pictures / "__a.jpg"));

    std::vector<std::string>().swap(state.catalogue.PlayList); // an emptied show
    state.catalogue.PlayListCount = 0;
    state.catalogue.PlayListPosition = 0;
    state.catalogue.CurrentFile = "";
    Type(*form, 'r');
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(platform::IsWindowAbsent(kSlideshowTitle)); // a second show ends at once
    state.MouseMoveCount = 2;
    Type(*form, '\x1b');
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(state.MouseMoveCount, 0);
    EXPECT_TRUE(platform.cursor.visible());
    EXPECT_TRUE(platform::IsWindowAbsent(kSlideshowTitle));
}

TEST_F(ShowWindow, WithSpecialKeysOffEveryCharacterEndsTheShow) {
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WritePicture(pictures / "b.jpg", 64, 48, Qt::red);
    auto form = Start({.options = CrLf({"key_Special=0", "key_Next=110"})});
    Type(*form, 'n');
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Shown(), "a.jpg");
}

TEST_F(ShowWindow, NextFolderKeyFollowsTheFolderOrderInEachFoldersColourAndPace) {
    test::TempDirectory second, empty;
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WritePicture(second / "s.jpg", 64, 48, Qt::blue);
    test::WriteBytes(empty / "notes.txt", "nothing to show");
    auto form = StartCollection(
        CrLf({"[Options]", "RandomFolder=0", "CurrentFolder=1", "Folders=3"}) + kSpecialKeys +
        CrLf({"[Folder1]", "Background=255", "Interval=5", "Set=" + pictures.path().string(),
              "[Folder2]", "Background=65280", "Interval=0", "Set=" + second.path().string(),
              "[Folder3]", "Set=" + empty.path().string()}));
    state.folderOrder.FolderNumberArray = {2, 3, 1};
    state.folderOrder.FolderIndex = 2; // the last position: round to the first
    Type(*form, 's');
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_EQ(Shown(), "s.jpg");
    EXPECT_EQ(std::filesystem::current_path().filename(), second.path().filename());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(form->Timer1->interval(), 10);
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 800));

    // Nothing to show in the next one: it says so and ends as the viewer
    // would, through the password; refused, the show goes on where it was.
    UsePassword(platform, "sesame");
    form->Form_Load();
    state.folderOrder.FolderNumberArray = {2, 3, 1};
    state.folderOrder.FolderIndex = 0;
    AnswerPasswordPrompt("wrong");
    Type(*form, 's');
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1U);
    EXPECT_EQ(platform.messageBoxes.shown[0].text,
              "Could not find any supported files in " + empty.path().string());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_TRUE(form->Timer1->isActive());
    AnswerPasswordPrompt("sesame");
    Type(*form, 's');
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(std::filesystem::exists(empty / "notes.txt"));
}

TEST_F(ShowWindow, PointerEndsTheShowOnlyByTheCountingRuleAndNotOverTheCaption) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    auto form = Start({.captions = 1});
    for (int i = 0; i < 6; ++i) {
        QTest::mouseClick(form->Label1, Qt::LeftButton);
    }
    EXPECT_EQ(state.MouseMoveCount, 0);
    platform.clock.seconds = 1000;
    MoveOver(form.get(), QPoint(10, 10));
    MoveOver(form.get(), QPoint(20, 20));
    platform.clock.seconds = 1011;
    MoveOver(form.get(), QPoint(30, 30)); // clears the count
    EXPECT_EQ(state.MouseMoveCount, 0);
    QTest::mouseClick(form->Image1, Qt::LeftButton); // press and click: two
    EXPECT_TRUE(form->isVisible());
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

// A missing hash file means no password was ever set: the empty entry
// passes. A damaged one passes nothing, and the prompt says how to mend it.
TEST_F(ShowWindow, WithAPasswordTheShowEndsOnlyForTheRightOne) {
    test::WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    UsePassword(platform, "sesame");
    auto form = Start();
    EXPECT_EQ(form->password().UsePassword, 1);
    AnswerPasswordPrompt("wrong");
    Type(*form, 'q');
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(platform.cursor.visible());

    test::WriteBytes(platform / "password", "not a hash");
    QString notice;
    QTimer::singleShot(30, [&notice] {
        QWidget* prompt = QApplication::activeModalWidget();
        if (auto* label = prompt ? prompt->findChild<QLabel*>(kPasswordNoticeName) : nullptr) {
            notice = label->text();
        }
    });
    AnswerPasswordPrompt("");
    Type(*form, 'q');
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(notice.contains("damaged") && notice.contains("vimbrel /A"))
        << notice.toStdString();

    std::filesystem::remove(platform / "password");
    AnswerPasswordPrompt("anything");
    Type(*form, 'q');
    EXPECT_TRUE(form->isVisible());
    AnswerPasswordPrompt("");
    Type(*form, 'q');
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ShowWindow, FolderWithoutSupportedFilesEndsTheProgramNamingIt) {
    for (const char* name : {"notes.txt", "_marked.jpg", ".hidden.jpg"}) {
        test::WriteBytes(pictures / name, "");
    }
    try {
        Start();
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

int MarkInReadOnlyFolder(void* test) {
    auto* args = static_cast<std::pair<CatalogueState*, platform::ProfileFiles*>*>(test);
    MarkUnusableFile(*args->first, *args->second, "vimbrel000.ini");
    RenameForSizeLimit(*args->first, *args->second, "vimbrel000.ini", 640);
    return 0;
}

TEST_F(ShowWindow, ReadOnlyFolderKeepsEveryFileAndTheShowGoesOn) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    test::WriteBytes(pictures / "photo.jpg", "picture bytes");
    test::WriteBytes(platform / "vimbrel000.ini", CrLf({"[Options]"}));
    state.catalogue.PlayList = {"photo.jpg"};
    state.catalogue.PlayListCount = 1;
    state.catalogue.CurrentFile = "photo.jpg";
    std::filesystem::current_path(pictures.path());
    ::chmod(pictures.path().c_str(), 0555);
    std::pair<CatalogueState*, platform::ProfileFiles*> args{&state.catalogue, &platform.profiles};
    EXPECT_EQ(test::RunWithoutPermissionOverride(MarkInReadOnlyFolder, &args), 0);
    ::chmod(pictures.path().c_str(), 0755);
    EXPECT_EQ(ReadBytes(pictures / "photo.jpg"), "picture bytes");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(pictures.path()), {}), 1);
}

} // namespace
} // namespace vimbrel
