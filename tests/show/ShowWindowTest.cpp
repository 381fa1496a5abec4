// The show window over real pictures: what it shows and how it paces, what
// it does with files it cannot show, how the viewer's keys steer it, and how
// the pointer, the keys and the password end it.

#include "ShowWindowFixture.h"
#include "controls/PasswordPrompt.h"
#include "controls/Passwords.h"
#include "platform/Registry.h"
#include "platform/WindowTitleLock.h"
#include "show/Emblem.h"
#include "show/PictureArea.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>

namespace vimbrel {
namespace {

void UsePassword(test::TestPlatform& platform, const char* password) {
    platform::WriteRegistryNumber(platform.profiles, platform::kCurrentUserRoot,
                                  "Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    StoreScreenSavePassword(platform.settingsDirectory(), password);
}

// Answers the password prompt with `text` once it appears, keeping the
// notice it shows in `notice`.
void AnswerPasswordPrompt(const QString& text, QString* notice = nullptr) {
    QTimer::singleShot(50, [text, notice] {
        QWidget* prompt = QApplication::activeModalWidget();
        ASSERT_NE(prompt, nullptr);
        if (notice != nullptr) {
            *notice = prompt->findChild<QLabel*>(kPasswordNoticeName)->text();
        }
        auto* field = prompt->findChild<QLineEdit*>(kPasswordFieldName);
        field->setText(text);
        QTest::keyClick(field, Qt::Key_Return);
    });
}

TEST_F(ShowWindow, PicturesAreCentredCaptionedAndPacedRoundTheFolder) {
    WritePicture(pictures / "a.jpg", 320, 240, Qt::red);
    WritePicture(pictures / "B.bmp", 64, 48, Qt::blue);
    WritePicture(pictures / "c.gif", 64, 48, Qt::yellow);
    auto form = Start({.captions = 1, .background = 0x00FF00, .interval = 1});
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 800));
    EXPECT_EQ(form->windowTitle(), "Screensaver: Vimbrel");
    // Centred in the 800 px less the caption's 25: top (775 - 240) / 2.
    EXPECT_EQ(form->Image1->geometry(), QRect(240, 268, 320, 240));
    EXPECT_EQ(form->Label1->geometry().top(), form->Image1->geometry().bottom() + 1);
    EXPECT_EQ(Seen(*form), "a.jpg | a | 1000 ms");
    const QImage screen = form->grab().toImage();
    EXPECT_TRUE(Near(screen.pixelColor(400, 380), Qt::red));
    EXPECT_EQ(screen.pixelColor(5, 5), QColor(0, 255, 0));
    EXPECT_FALSE(platform.cursor.visible());
    Ticks(*form, 3);
    EXPECT_EQ(Shown(), "B.bmp");
    Ticks(*form, 6);
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_EQ(Files(), "B.bmp a.jpg c.gif"); // each one read
}

TEST_F(ShowWindow, FilesThatCannotBeShownAreMarkedRecordedAndPassedOver) {
    WritePicture(pictures / "a \xE9t\xE9.jpg", 40, 30, Qt::red); // not UTF-8
    test::WriteBytes(pictures / "b bad\nname.jpg", "garbage");
    test::WriteBytes(pictures / "c.gif", "");
    WritePicture(pictures / "d.jpg", 40, 30, Qt::red);
    WritePicture(pictures / "e.jpg", 200, 100, Qt::blue);
    // An EXIF segment whose orientation (0x0112) 6 says: turn right.
    std::string turned = ReadBytes(pictures / "e.jpg");
    turned.insert(2, std::string("\xFF\xE1\x00\x22"
                                 "Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0\x06"
                                 "\0\0\0\0\0\0",
                                 36));
    test::WriteBytes(pictures / "e.jpg", turned);
    auto form = Start({.captions = 1, .interval = 0, .imageScale = 2});
    EXPECT_EQ(Seen(*form), "a \xE9t\xE9.jpg | a \xE9t\xE9 | 10 ms");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(1, 1), Qt::red));
    Ticks(*form, 2);
    // The line break cannot split the settings line into forged keys.
    EXPECT_EQ(LastFileName(), "b bad?name.jpg");
    Ticks(*form, 2);
    EXPECT_EQ(LastFileName(), "c.gif");
    std::filesystem::remove(pictures / "d.jpg"); // gone before its turn
    Ticks(*form, 4);
    EXPECT_EQ(form->Image1->size(), QSize(100, 200)); // upright
    EXPECT_EQ(Files(), "_b bad\nname.jpg _c.gif a \xE9t\xE9.jpg e.jpg");
    EXPECT_EQ(ReadBytes(pictures / "_b bad\nname.jpg"), "garbage");
    EXPECT_EQ(state.catalogue.PlayList[3], "_d.jpg");
    Ticks(*form, 4); // round to the marked entry: the emblem
    EXPECT_EQ(Shown(), "_b bad\nname.jpg");
    EXPECT_EQ(form->Image1->Picture().size(), QSize(kEmblemWidth, kEmblemHeight));
}

TEST_F(ShowWindow, SizeLimitsRenameButShowThisTimeAndNeverReplaceAFile) {
    WritePicture(pictures / "a.jpg", 320, 240, Qt::red);
    WritePicture(pictures / "b.jpg", 320, 240, Qt::red);
    test::WriteBytes(pictures / "_640_b.jpg", "someone else's file");
    auto form = Start({.captions = 1, .interval = 0, .options = CrLf({"MinWidth=640"})});
    EXPECT_EQ(state.catalogue.PlayList[0], "_640_a.jpg");
    EXPECT_EQ(form->Label1->Caption(), "a");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::red));
    Ticks(*form, 2);
    EXPECT_EQ(Files(), "_640_a.jpg _640_b.jpg _b.jpg");
    EXPECT_EQ(ReadBytes(pictures / "_640_b.jpg"), "someone else's file");
}

TEST_F(ShowWindow, KeysSteerTheShowAndOnlyCharactersEndIt) {
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    WritePicture(pictures / "b.jpg", 64, 48, Qt::green);
    WritePicture(pictures / "c.jpg", 64, 48, Qt::blue);
    auto form = Start({.captions = 1, .interval = 5, .options = kSpecialKeys + "key_Beep=1\r\n"});
    const std::string stored = ReadBytes(platform / "vimbrel000.ini");
    state.MouseMoveCount = 2;
    // Keys that type nothing, and Delete's DEL, neither act nor end it.
    Type(*form, "\x7f", Qt::Key_Delete);
    Type(*form, "", Qt::Key_Left);
    Type(*form, "", Qt::Key_Shift);
    EXPECT_EQ(Seen(*form) + " " + std::to_string(state.MouseMoveCount), "a.jpg | a | 1000 ms 2");
    // Captions go off and on in memory only; a paused show takes the next
    // item's caption unmarked, and going on moves on at once; with one
    // folder the next folder key only beeps.
    const std::pair<const char*, const char*> steps[] = {
        {"n", "b.jpg | b | 1000 ms"},          {"p", "a.jpg | a | 1000 ms"},
        {"p", "c.jpg | c | 1000 ms"},          {"f", "c.jpg | - | 1000 ms"},
        {"n", "a.jpg | - | 1000 ms"},          {"F", "a.jpg | a | 1000 ms"},
        {"z", "a.jpg | a (paused) | stopped"}, {"n", "b.jpg | b | stopped"},
        {"Z", "c.jpg | c | 1000 ms"},          {"s", "c.jpg | c | 1000 ms"}};
    for (const auto& [key, seen] : steps) {
        Type(*form, key);
        EXPECT_EQ(Seen(*form), seen) << key;
    }
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), stored);
    EXPECT_EQ(state.MouseMoveCount, 0); // each command key clears it
    for (int i = 0; i < 4; ++i) {       // a held key
        Type(*form, "n", Qt::Key_N, true);
    }
    EXPECT_EQ(Seen(*form), "a.jpg | a | 1000 ms");
    EXPECT_EQ(platform.messageBoxes.beeps, 14);

    test::WriteBytes(pictures / "_b.jpg", "someone else's file");
    Type(*form, "r"); // a.jpg out of the show
    Type(*form, "r"); // "_b.jpg" is taken: b.jpg keeps its name
    std::filesystem::remove(pictures / "c.jpg");
    Type(*form, "r"); // a vanished file: nothing to rename
    Type(*form, "r"); // marked already: it only moves on
    EXPECT_EQ(Files(), "_a.jpg _b.jpg b.jpg");
    EXPECT_EQ(ReadBytes(pictures / "_b.jpg"), "someone else's file");
    EXPECT_EQ(Shown(), "_b.jpg");
    state.catalogue = CatalogueState{}; // an emptied show
    Type(*form, "r");
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(platform::IsWindowAbsent(kSlideshowTitle)); // a second show ends at once
    Type(*form, "\x1b");
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(platform.cursor.visible());
    EXPECT_TRUE(platform::IsWindowAbsent(kSlideshowTitle));
}

TEST_F(ShowWindow, NextFolderKeyFollowsTheFolderOrderInEachFoldersColourAndPace) {
    test::TempDirectory second, empty;
    WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    WritePicture(second / "s.jpg", 64, 48, Qt::blue);
    test::WriteBytes(empty / "notes.txt", "nothing to show");
    auto form = StartCollection(
        CrLf({"[Options]", "RandomFolder=0", "CurrentFolder=1", "Folders=3"}) + kSpecialKeys +
        CrLf({"[Folder1]", "Background=255", "Interval=5", "Set=" + pictures.path().string(),
              "[Folder2]", "Background=65280", "Interval=0", "Set=" + second.path().string(),
              "[Folder3]", "Set=" + empty.path().string()}));
    state.folderOrder.FolderNumberArray = {2, 3, 1};
    state.folderOrder.FolderIndex = 2; // the last position: round to the first
    Type(*form, "s");
    EXPECT_EQ(Seen(*form), "s.jpg | - | 10 ms");
    EXPECT_EQ(std::filesystem::current_path().filename(), second.path().filename());
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(0, 255, 0));
    EXPECT_EQ(form->geometry(), QRect(0, 0, 800, 800));

    // Nothing to show in the next one: it says so and ends as the viewer
    // would, through the password; refused, the show goes on where it was.
    UsePassword(platform, "sesame");
    form->Form_Load();
    state.folderOrder.FolderNumberArray = {2, 3, 1};
    state.folderOrder.FolderIndex = 0;
    AnswerPasswordPrompt("wrong");
    Type(*form, "s");
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1U);
    EXPECT_EQ(platform.messageBoxes.shown[0].text,
              "Could not find any supported files in " + empty.path().string());
    EXPECT_EQ(Seen(*form), "s.jpg | - | 10 ms");
    AnswerPasswordPrompt("sesame");
    Type(*form, "s");
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ShowWindow, PointerEndsTheShowOnlyByTheCountingRuleAndNotOverTheCaption) {
    WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    auto form = Start({.captions = 1});
    QTest::mouseClick(form->Label1, Qt::LeftButton);
    MoveOver(form.get(), QPoint(10, 10));
    QTest::mouseClick(form.get(), Qt::LeftButton, {}, QPoint(1, 1)); // press and click: two
    EXPECT_EQ(state.MouseMoveCount, 3);
    state.MouseMoveCount = 2;
    QTest::mouseClick(form->Image1, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
}

// A missing hash file means no password was ever set: the empty entry
// passes. A damaged one passes nothing, and the prompt says how to mend it.
TEST_F(ShowWindow, WithAPasswordTheShowEndsOnlyForTheRightOne) {
    WritePicture(pictures / "photo.jpg", 64, 48, Qt::red);
    UsePassword(platform, "sesame");
    auto form = Start();
    const auto ends = [&](const char* answer, QString* notice = nullptr) {
        AnswerPasswordPrompt(answer, notice);
        Type(*form, "q");
        return !form->isVisible();
    };
    EXPECT_FALSE(ends("wrong"));
    EXPECT_FALSE(platform.cursor.visible());
    test::WriteBytes(platform / "password", "not a hash");
    QString notice;
    EXPECT_FALSE(ends("", &notice));
    EXPECT_TRUE(notice.contains("damaged") && notice.contains("vimbrel /A"))
        << notice.toStdString();
    std::filesystem::remove(platform / "password");
    EXPECT_FALSE(ends("anything"));
    EXPECT_TRUE(ends(""));
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

} // namespace
} // namespace vimbrel
