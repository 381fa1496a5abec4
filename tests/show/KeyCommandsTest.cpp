// The viewer's keys on a real show window over real files: each command,
// the order in which keys are tested, the beep, and the keys that end the
// show.

#include "EventLoopWait.h"
#include "MediaFiles.h"
#include "ShowWindowFixture.h"
#include "controls/Passwords.h"
#include "media/MediaPlayer.h"
#include "platform/Registry.h"
#include "show/CaptionLabel.h"
#include "show/PictureArea.h"

#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <functional>

namespace vimbrel {
namespace {

using test::WaitUntil;

const std::string kSpecialKeys =
    CrLf({"key_Special=1", "key_Captions=102", "key_NewFolder=115", "key_Pause=122",
          "key_Rename=114", "key_Next=110", "key_Previous=112"});

class ViewerKeys : public ShowWindow {
protected:
    // Three pictures a, b, c in red, green and blue.
    std::unique_ptr<MainForm> StartWithPictures(const std::string& options = kSpecialKeys,
                                                int captions = 1) {
        test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
        test::WritePicture(pictures / "b.jpg", 64, 48, Qt::green);
        test::WritePicture(pictures / "c.jpg", 64, 48, Qt::blue);
        return Start({.captions = captions, .interval = 5, .options = options});
    }

    // A typed character, as the window system delivers it.
    static void Type(MainForm& form, char character) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(QChar(character)));
        QApplication::sendEvent(&form, &press);
    }

    std::string Shown() const { return state.catalogue.CurrentFile; }
};

TEST_F(ViewerKeys, WithSpecialKeysOffEveryCharacterEndsTheShow) {
    auto form = StartWithPictures(CrLf({"key_Special=0", "key_Next=110"}));
    Type(*form, 'n');
    EXPECT_FALSE(form->isVisible());
    EXPECT_EQ(Shown(), "a.jpg");
}

// Keys as the window system delivers them: some type nothing at all, and
// Delete types DEL, which is no character either.
TEST_F(ViewerKeys, KeysThatTypeNoCharacterNeitherActNorEndTheShow) {
    auto form = StartWithPictures();
    state.MouseMoveCount = 2;
    const std::pair<int, const char*> silent[] = {
        {Qt::Key_Delete, "\x7f"}, {Qt::Key_Insert, ""},   {Qt::Key_Home, ""},  {Qt::Key_End, ""},
        {Qt::Key_PageUp, ""},     {Qt::Key_PageDown, ""}, {Qt::Key_Left, ""},  {Qt::Key_Right, ""},
        {Qt::Key_Up, ""},         {Qt::Key_Down, ""},     {Qt::Key_F1, ""},    {Qt::Key_F12, ""},
        {Qt::Key_Shift, ""},      {Qt::Key_Control, ""},  {Qt::Key_Alt, ""},   {Qt::Key_Meta, ""},
        {Qt::Key_CapsLock, ""},   {Qt::Key_NumLock, ""},  {Qt::Key_Pause, ""}, {Qt::Key_Print, ""},
        {Qt::Key_Menu, ""}};
    for (const auto& [key, text] : silent) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString::fromLatin1(text));
        QApplication::sendEvent(form.get(), &press);
        ASSERT_TRUE(form->isVisible()) << "key " << std::hex << key;
    }
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_EQ(state.MouseMoveCount, 2);
}

TEST_F(ViewerKeys, OtherKeysEndTheShowAfterClearingTheMouseCount) {
    for (const char ending : {'x', '\r', '\x1b', '\b', '\t'}) {
        auto form = StartWithPictures();
        state.MouseMoveCount = 2;
        Type(*form, ending);
        EXPECT_FALSE(form->isVisible()) << int(ending);
        EXPECT_EQ(state.MouseMoveCount, 0);
    }
    EXPECT_EQ(platform.messageBoxes.beeps, 0);
}

// A play list left empty (a folder that held nothing) gives the rename key
// nothing to rename, and nothing to write into.
TEST_F(ViewerKeys, RenameWithAnEmptyPlayListWritesNowhere) {
    auto form = StartWithPictures();
    std::vector<std::string>().swap(state.catalogue.PlayList); // no room left either
    state.catalogue.PlayListCount = 0;
    state.catalogue.PlayListPosition = 0;
    state.catalogue.CurrentFile = "";
    Type(*form, 'r');
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(state.catalogue.PlayList.empty());
    EXPECT_TRUE(std::filesystem::exists(pictures / "a.jpg"));
}

TEST_F(ViewerKeys, NextAndPreviousGoRoundTheEndsInEitherCase) {
    auto form = StartWithPictures();
    ASSERT_EQ(Shown(), "a.jpg");
    Type(*form, 'n');
    EXPECT_EQ(Shown(), "b.jpg");
    EXPECT_TRUE(Near(form->Image1->Picture().pixelColor(5, 5), Qt::green));
    Type(*form, 'N');
    EXPECT_EQ(Shown(), "c.jpg");
    Type(*form, 'n');
    EXPECT_EQ(Shown(), "a.jpg");
    Type(*form, 'p');
    EXPECT_EQ(Shown(), "c.jpg");
    Type(*form, 'P');
    EXPECT_EQ(Shown(), "b.jpg");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ViewerKeys, PreviousOnAOneEntryShowShowsItAgain) {
    test::WritePicture(pictures / "only.jpg", 64, 48, Qt::red);
    auto form = Start({.interval = 5, .options = kSpecialKeys});
    Type(*form, 'p');
    EXPECT_EQ(Shown(), "only.jpg");
    EXPECT_TRUE(form->Image1->isVisible());
}

TEST_F(ViewerKeys, PauseHoldsThePictureAndResumingMovesOnAtOnceWithTheBeep) {
    auto form = StartWithPictures(kSpecialKeys + CrLf({"key_Beep=1"}));
    Type(*form, 'z');
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_EQ(form->Label1->Caption(), "a (paused)");
    EXPECT_EQ(platform.messageBoxes.beeps, 1);
    QTest::qWait(100);
    EXPECT_EQ(Shown(), "a.jpg");
    // Next keeps the pause; the new caption has no suffix.
    Type(*form, 'n');
    EXPECT_EQ(Shown(), "b.jpg");
    EXPECT_FALSE(form->Timer1->isActive());
    Type(*form, 'Z');
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(Shown(), "c.jpg");
    EXPECT_EQ(form->Label1->Caption(), "c");
    EXPECT_EQ(platform.messageBoxes.beeps, 3);
}

TEST_F(ViewerKeys, PauseOnAVideoUsesThePlayerAndNeverBeeps) {
    std::filesystem::copy_file(test::MediaFolder() / "movie.avi", pictures / "clip.avi");
    auto form =
        Start({.captions = 1, .interval = 0, .options = kSpecialKeys + CrLf({"key_Beep=1"})});
    ASSERT_EQ(form->MediaPlayer1->FileName(), "clip.avi");
    Type(*form, 'z');
    EXPECT_TRUE(form->MediaPlayer1->IsPaused());
    EXPECT_TRUE(form->Show.PlayerPaused);
    EXPECT_EQ(form->Label1->Caption(), "clip (paused)");
    const double held = form->MediaPlayer1->CurrentPosition();
    QTest::qWait(400);
    EXPECT_NEAR(form->MediaPlayer1->CurrentPosition(), held, 0.05);
    Type(*form, 'z');
    EXPECT_FALSE(form->MediaPlayer1->IsPaused());
    EXPECT_FALSE(form->Show.PlayerPaused);
    EXPECT_EQ(form->Label1->Caption(), "clip");
    EXPECT_EQ(platform.messageBoxes.beeps, 0);
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->FileName().empty(); }));
}

TEST_F(ViewerKeys, CaptionsKeyTurnsTheCaptionOffAndOnInMemoryOnly) {
    auto form = StartWithPictures(kSpecialKeys, 2);
    const std::string stored = ReadBytes(platform / "vimbrel000.ini");
    Type(*form, 'f');
    EXPECT_EQ(state.model.FolderTable[1].Captions, 0);
    EXPECT_FALSE(form->Label1->isVisible());
    Type(*form, 'F');
    EXPECT_EQ(state.model.FolderTable[1].Captions, 1);
    EXPECT_TRUE(form->Label1->isVisible());
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), stored);
}

TEST_F(ViewerKeys, RenameTakesTheFileOutOfTheShowAndMovesOn) {
    auto form = StartWithPictures();
    ASSERT_EQ(Shown(), "a.jpg");
    Type(*form, 'r');
    EXPECT_TRUE(std::filesystem::exists(pictures / "_a.jpg"));
    EXPECT_FALSE(std::filesystem::exists(pictures / "a.jpg"));
    EXPECT_EQ(state.catalogue.PlayList[0], "_a.jpg");
    EXPECT_EQ(Shown(), "b.jpg");
    // Round again, the entry names "_a.jpg": it keeps its name and the key
    // only moves on.
    Type(*form, 'n');
    Type(*form, 'n');
    ASSERT_EQ(Shown(), "_a.jpg");
    Type(*form, 'r');
    EXPECT_TRUE(std::filesystem::exists(pictures / "_a.jpg"));
    EXPECT_FALSE(std::filesystem::exists(pictures / "__a.jpg"));
    EXPECT_EQ(Shown(), "b.jpg");
}

TEST_F(ViewerKeys, RenameThatCannotBeMadeLosesNothingAndTheShowGoesOn) {
    auto form = StartWithPictures();
    // The new name is taken: the file is never renamed over it.
    test::WriteBytes(pictures / "_a.jpg", "someone else's file");
    Type(*form, 'r');
    EXPECT_EQ(ReadBytes(pictures / "_a.jpg"), "someone else's file");
    EXPECT_TRUE(std::filesystem::exists(pictures / "a.jpg"));
    EXPECT_EQ(Shown(), "b.jpg");
    // A file that vanished: nothing to rename, the show goes on.
    std::filesystem::remove(pictures / "b.jpg");
    Type(*form, 'r');
    EXPECT_EQ(Shown(), "c.jpg");
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ViewerKeys, TheEarlierKeyInTheTestOrderWinsASharedCode) {
    // Captions and next both on "n": captions is tested first.
    auto form = StartWithPictures(CrLf({"key_Captions=110"}) + kSpecialKeys);
    Type(*form, 'n');
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_EQ(state.model.FolderTable[1].Captions, 0);
}

TEST_F(ViewerKeys, KeyCodesOutsideTheCharactersMatchNothingTheyCannotReach) {
    auto form = StartWithPictures(
        CrLf({"key_Special=1", "key_Captions=0", "key_NewFolder=-5", "key_Pause=400",
              "key_Rename=32767", "key_Next=110", "key_Previous=-32768"}));
    Type(*form, 'n');
    EXPECT_EQ(Shown(), "b.jpg");
    Type(*form, ' ');
    EXPECT_FALSE(form->isVisible());
}

TEST_F(ViewerKeys, HeldKeyRepeatsStepThroughTheShow) {
    auto form = StartWithPictures();
    for (int i = 0; i < 300; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, "n", true);
        QApplication::sendEvent(form.get(), &press);
    }
    EXPECT_EQ(Shown(), "a.jpg"); // 300 steps round three pictures
    EXPECT_TRUE(form->isVisible());
}

TEST_F(ViewerKeys, NextFolderKeyWithOneFolderOnlyBeeps) {
    auto form = StartWithPictures(kSpecialKeys + CrLf({"key_Beep=1"}));
    Type(*form, 's');
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_TRUE(form->Timer1->isActive());
    EXPECT_EQ(platform.messageBoxes.beeps, 1);
}

TEST_F(ViewerKeys, PlayListKeysMoveInsideTheListFirst) {
    std::filesystem::create_directory(pictures / "tones");
    std::string list;
    for (const char* name : {"1.wav", "2.wav", "3.wav"}) {
        std::filesystem::copy_file(test::MediaFolder() / "tone.wav", pictures / "tones" / name);
        list += std::string("tones/") + name + "\n";
    }
    test::WriteBytes(pictures / "list.m3u", list);
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WritePicture(pictures / "z.jpg", 64, 48, Qt::blue);
    auto form = Start({.interval = 5, .options = kSpecialKeys});
    Type(*form, 'n');
    ASSERT_EQ(Shown(), "list.m3u");
    // Entry 1 of 3: previous leaves the list for the picture before.
    Type(*form, 'p');
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_TRUE(form->MediaPlayer1->FileName().empty());
    Type(*form, 'n');
    ASSERT_EQ(Shown(), "list.m3u");
    Type(*form, 'n');
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 2; }));
    Type(*form, 'n');
    EXPECT_TRUE(WaitUntil([&] { return form->MediaPlayer1->CurrentEntry() == 3; }));
    EXPECT_EQ(Shown(), "list.m3u");
    // Entry 3 of 3: next leaves the list.
    Type(*form, 'n');
    EXPECT_EQ(Shown(), "z.jpg");
    EXPECT_TRUE(form->MediaPlayer1->FileName().empty());
    EXPECT_TRUE(form->Timer1->isActive());
}

TEST_F(ViewerKeys, NextFolderKeyShowsTheNextFolderInItsColourAndPaceAndComesRound) {
    test::TempDirectory second;
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WritePicture(second / "s.jpg", 64, 48, Qt::blue);
    test::WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(
        platform / "vimbrel000.ini",
        CrLf({"[Options]", "RandomFolder=0", "Folders=2"}) + kSpecialKeys +
            CrLf({"[Folder1]", "Background=255", "Interval=5", "Center=1",
                  "Set=" + pictures.path().string(), "[Folder2]", "Background=65280", "Interval=0",
                  "Center=1", "Captions=1", "Set=" + second.path().string()}));
    ASSERT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
    MainForm form(state, platform.services);
    form.Form_Load();
    form.show();
    const int16_t first = state.model.settings.CurrentFolder;
    const auto other = static_cast<int16_t>(first == 1 ? 2 : 1);
    const std::string firstPicture = first == 1 ? "a.jpg" : "s.jpg";
    const std::string otherPicture = first == 1 ? "s.jpg" : "a.jpg";
    ASSERT_EQ(Shown(), firstPicture);

    Type(form, 's');
    EXPECT_EQ(state.model.settings.CurrentFolder, other);
    EXPECT_EQ(Shown(), otherPicture);
    EXPECT_EQ(std::filesystem::current_path().filename(),
              (other == 1 ? pictures.path() : second.path()).filename());
    const QColor background = form.palette().color(QPalette::Window);
    EXPECT_EQ(background, other == 1 ? QColor(255, 0, 0) : QColor(0, 255, 0));
    EXPECT_EQ(form.Timer1->interval(), other == 1 ? 1000 : 10);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.geometry(), QRect(0, 0, 800, 800));
    EXPECT_TRUE(platform.messageBoxes.shown.empty());

    Type(form, 'S');
    EXPECT_EQ(state.model.settings.CurrentFolder, first);
    EXPECT_EQ(Shown(), firstPicture);
}

TEST_F(ViewerKeys, NextFolderFollowsTheFolderOrderFromTheCurrentPosition) {
    test::TempDirectory one, two, three;
    test::WritePicture(one / "1.jpg", 64, 48, Qt::red);
    test::WritePicture(two / "2.jpg", 64, 48, Qt::red);
    test::WritePicture(three / "3.jpg", 64, 48, Qt::red);
    test::WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(
        platform / "vimbrel000.ini",
        CrLf({"[Options]", "RandomFolder=0", "Folders=3"}) + kSpecialKeys +
            CrLf({"[Folder1]", "Set=" + one.path().string(), "[Folder2]",
                  "Set=" + two.path().string(), "[Folder3]", "Set=" + three.path().string()}));
    ASSERT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
    MainForm form(state, platform.services);
    form.Form_Load();
    state.folderOrder.FolderNumberArray = {2, 3, 1};
    state.folderOrder.FolderIndex = 2;
    Type(form, 's');
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_EQ(Shown(), "2.jpg");
}

// The show ends through its close request: with a password set, the
// password is asked, and where it is refused the show goes on in the
// folder it came from.
TEST_F(ViewerKeys, NextFolderWithNothingToShowSaysSoAndEndsAsTheViewerWould) {
    test::TempDirectory empty;
    test::WriteBytes(empty / "notes.txt", "nothing to show");
    test::WritePicture(pictures / "a.jpg", 64, 48, Qt::red);
    test::WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    test::WriteBytes(platform / "vimbrel000.ini",
                     CrLf({"[Options]", "RandomFolder=0", "CurrentFolder=1", "Folders=2"}) +
                         kSpecialKeys +
                         CrLf({"[Folder1]", "Set=" + pictures.path().string(), "[Folder2]",
                               "Set=" + empty.path().string()}));
    ASSERT_EQ(Main(state, platform.services, "/S"), Handover::Slideshow);
    MainForm form(state, platform.services);
    form.Form_Load();
    form.show();
    ASSERT_EQ(Shown(), "a.jpg");
    platform::WriteRegistryNumber(platform.profiles, platform::kCurrentUserRoot,
                                  "Control Panel\\Desktop", "ScreenSaveUsePassword", 1);
    StoreScreenSavePassword(platform.settingsDirectory(), "sesame");
    form.Form_Load(); // takes the password setting in

    AnswerPasswordPrompt("wrong");
    Type(form, 's');
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1U);
    EXPECT_EQ(platform.messageBoxes.shown[0].text,
              "Could not find any supported files in " + empty.path().string());
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(state.model.settings.CurrentFolder, 1);
    EXPECT_EQ(Shown(), "a.jpg");
    EXPECT_TRUE(form.Timer1->isActive());

    AnswerPasswordPrompt("sesame");
    Type(form, 's');
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(std::filesystem::exists(empty / "notes.txt"));
}

} // namespace
} // namespace vimbrel
