// The configuration dialog over collection files as people and other systems
// write them: what it shows (see Shown()), what the user does, and what OK
// then writes, byte for byte, with the previous file kept as the backup;
// adding and removing folders, with real folders and the folder dialog
// answered by the test; the folder list's keys and mouse.

#include "ConfigurationFixture.h"
#include "TempDirectory.h"
#include "display/DisplayModes.h"
#include "platform/SubFolders.h"

#include <regex>

namespace vimbrel::test {
namespace {

struct Case {
    const char* name;
    std::string file;
    std::function<void(ConfigurationTest&)> act;
    std::string shown;
    std::string saved;
};

class ConfigurationDialog : public ConfigurationTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ConfigurationDialog, ShowsTheCollectionAndOkSavesIt) {
    WriteBytes(platform / "vimbrel000.ini", GetParam().file);
    Configuration& d = Open();
    const std::string before = CollectionBytes();
    GetParam().act ? GetParam().act(*this) : void();
    ASSERT_TRUE(d.isVisible());
    EXPECT_EQ(Shown(), GetParam().shown);
    d.Command5->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(CollectionBytes(), GetParam().saved);
    EXPECT_EQ(ReadBytes(platform / "vimbrel000.bak"), before);
}

// Types into a key field as a user does: Tab brings the focus, the text
// typed replaces the selection, and the focus moves on.
void TypeKey(Configuration& d, QLineEdit* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    QTest::keyClicks(field, text);
    d.List_Folders->setFocus();
    QApplication::processEvents();
}

const std::string kKeys = "Z/N/P/R/S/F s0 b0 off | m4/4 r1 f0";
const std::string kName = "Caf\xE9 " + std::string(65, 'x') + " \x80 na\xEFve";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, ConfigurationDialog, ::testing::Values(
    Case{"NoFolders", CrLf({"[Options]", "Folders=-3", "[Folder1]", "Set=/a"}), nullptr,
         "*<begin>=0 | 0 0:0 000 0/0/0 #000000 off | <default collection> off | " + kKeys,
         ExpectedCollection("CurrentFolder=0", {})},
    Case{"FoldersSortedAndTheCurrentOneShown",
         CrLf({"[Options]", "CurrentFolder=3", "Description=Holidays", "LastFileName=x.jpg",
               "Folders=3", "[Folder1]", "Set=/media/Beach", "[Folder2]", "Set=/media/alps",
               "[Folder3]", "Set=/media/castles", "Interval=75", "Captions=1", "Center=1",
               "ImageScale=3", "RandomOrder=0", "VideoScale=2", "Background=255"}), nullptr,
         "/media/alps=2 /media/Beach=1 */media/castles=3 | 3 1:15 110 3/2/0 #ff0000 on | Holidays "
         "on | " + kKeys,
         ExpectedCollection("CurrentFolder=3|Description=Holidays",
                            {"Set=/media/Beach", "Set=/media/alps", "Set=/media/castles|"
                             "Interval=75|Captions=1|Center=1|ImageScale=3|RandomOrder=0|"
                             "VideoScale=2|Background=255"})},
    // Only the default name exactly is locked.
    Case{"ValuesNoControlCanShowAreKept",
         CrLf({"[Options]", "MouseMoves=500", "key_Beep=5", "RandomFolder=7", "key_Special=3",
               "key_Next=78", "key_Pause=106", "Description=<Default Collection>", "Folders=1",
               "[Folder1]", "Set=/a", "Interval=7000", "ImageScale=9", "VideoScale=1",
               "Center=1"}), nullptr,
         "*/a=1 | 1 0:0 011 -1/1/0 #000000 on | <Default Collection> on | J/N/P/R/S/F s1 b0 on | "
         "m500/100 r0 f0",
         ExpectedCollection("MouseMoves=500|key_Beep=5|RandomFolder=7|key_Special=3|key_Next=78|"
                            "key_Pause=106|Description=<Default Collection>",
                            {"Set=/a|Interval=7000|ImageScale=9|VideoScale=1|Center=1"})},
    // A current folder beyond the table selects the first one listed.
    Case{"Windows1252AndLongNamesKeepTheirBytes",
         CrLf({"[Options]", "Description=" + kName, "CurrentFolder=9", "Folders=1", "[Folder1]",
               "Set=/\xE9t\xE9"}), nullptr,
         "*/\xC3\xA9t\xC3\xA9=1 | 1 0:3 001 2/0/0 #000000 on | Caf\xC3\xA9 " +
         std::string(65, 'x') + " \xE2\x82\xAC na\xC3\xAFve on | " + kKeys,
         ExpectedCollection("Description=" + kName, {"Set=/\xE9t\xE9"})},
    // The name typed on is written as UTF-8, up to 50 characters.
    Case{"GlobalOptionsAsTyped", CrLf({"[Options]", "Description=Caf\xE9"}),
         [](ConfigurationTest& test) {
             Configuration& d = *test.dialog;
             QTest::mouseClick(d.Check_Special, Qt::RightButton); // any button toggles it
             EXPECT_TRUE(d.Text4->isEnabled());
             QTest::mouseClick(d.Check_Special, Qt::MiddleButton);
             QTest::mouseClick(d.Check_Special, Qt::LeftButton);
             TypeKey(d, d.Text4, "p");  // taken from Previous, which keeps its key
             TypeKey(d, d.Text5, "xy"); // one character
             TypeKey(d, d.Text7, "a");
             TypeKey(d, d.Text9, "ab"); // "AB" is not "A"
             TypeKey(d, d.Text9, "c");  // replaces one character
             d.Text8->clear();          // keeps its key
             d.Check_Beep->click();
             d.Check_Random->click();
             d.Check_MoreFormats->click();
             d.HScroll_MouseMoves->setValue(12);
             d.CollectionName->setFocus();
             d.CollectionName->end(false);
             QTest::keyClicks(d.CollectionName, QString(60, 'n'));
             // Neither saves nor closes.
             QTest::keySequence(d.CollectionName,
                                QKeySequence(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape));
         },
         "*<begin>=0 | 0 0:0 000 0/0/0 #000000 off | Caf\xC3\xA9" + std::string(46, 'n') +
         " on | P/X//A//CB s1 b1 on | m12/12 r0 f1",
         ExpectedCollection("CurrentFolder=0|key_Beep=1|key_Captions=99|key_Next=120|key_Pause=112|"
                            "key_Rename=97|key_Special=1|MouseMoves=12|RandomFolder=0|"
                            "Description=Caf\xC3\xA9" + std::string(46, 'n'), {}, true)},
    Case{"FolderOptionsGoIntoTheSelectedEntryAtOnce",
         CrLf({"[Options]", "CurrentFolder=2", "Folders=2", "[Folder1]", "Set=/m/a",
               "[Folder2]", "Set=/m/b"}),
         [](ConfigurationTest& test) {
             Configuration& d = *test.dialog;
             for (QCheckBox* box : {d.Check_Captions, d.Check_Center, d.Check_RandomOrder}) {
                 QTest::mouseClick(box, Qt::LeftButton);
             }
             for (QComboBox* combo : {d.Combo_ImageScale, d.Combo_VideoScale}) {
                 combo->setFocus();
                 QTest::keyClick(combo, Qt::Key_Down);
             }
             d.HScroll_Interval->setValue(6000);
             d.HScroll_Interval->triggerAction(QAbstractSlider::SliderPageStepSub);
             d.HScroll_Interval->triggerAction(QAbstractSlider::SliderSingleStepAdd);
             d.HScroll_MouseMoves->setValue(500);
             test.colors = {0x00FF00 /* blue 0, green 255 */, std::nullopt};
             QTest::mouseClick(d.Command1, Qt::LeftButton);
             EXPECT_EQ(test.Shown(), "/m/a=1 */m/b=2 | 2 99:51 110 3/1/0 #00ff00 on | <default "
                                  "collection> off | Z/N/P/R/S/F s0 b0 off | m100/100 r1 f0");
             d.List_Folders->setCurrentRow(0); // shows the other folder's options
             QTest::mouseClick(d.Command1, Qt::LeftButton); // cancelled
             EXPECT_EQ(test.starts, (std::vector<int32_t>{0, 0x00FF00}));
         },
         "*/m/a=1 /m/b=2 | 1 0:3 001 2/0/0 #000000 on | <default collection> off | Z/N/P/R/S/F s0 "
         "b0 off | m100/100 r1 f0",
         ExpectedCollection("CurrentFolder=1|MouseMoves=100",
                            {"Set=/m/a", "Set=/m/b|Captions=1|Center=1|RandomOrder=0|ImageScale=3|"
                                         "VideoScale=1|Interval=5991|Background=65280"})}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

// Cancel and the close box write nothing; an OK whose save fails (a folder
// where the collection file should be) is reported and keeps the dialog.
TEST_F(ConfigurationTest, OnlyOkWritesAndAFailedSaveKeepsTheDialog) {
    for (const int way : {0, 1, 2}) { // Cancel, the close box, OK
        WriteCollection({"[Options]", "Folders=1", "[Folder1]", "Set=/a"});
        const std::string before = CollectionBytes();
        Configuration& d = Open();
        d.HScroll_Interval->setValue(99);
        if (way == 2) {
            std::filesystem::remove(platform / "vimbrel000.ini");
            std::filesystem::create_directory(platform / "vimbrel000.ini");
        }
        way == 0 ? d.Command6->click() : way == 1 ? (void)d.close() : d.Command5->click();
        EXPECT_EQ(d.isVisible(), way == 2);
        EXPECT_EQ(Asked().ends_with("(critical) "), way == 2) << Asked();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.bak"));
        EXPECT_EQ(way < 2 ? CollectionBytes() : before, before);
    }
}

// Every control inside its window, the collections window too.
TEST_F(ConfigurationTest, EveryControlLiesInsideItsWindow) {
    Configuration& d = Open();
    Collections collections(state, platform.services, d);
    for (QWidget* window : std::initializer_list<QWidget*>{&d, &collections}) {
        for (const QWidget* c : window->findChildren<QWidget*>()) {
            EXPECT_TRUE(!c->isVisibleTo(window) || c->isWindow() ||
                        window->rect().contains(QRect(c->mapTo(window, QPoint()), c->size())))
                << c->metaObject()->className() << " in " << window->windowTitle().toStdString();
        }
    }
}

// The resolution list holds the modes of the desktop's depth, in their
// order, up to the last one counted; a new folder starts in the desktop's.
TEST(ConfigurationRules, ResolutionEntries) {
    // ModeCount 4, ColorDepth 24, FirstModeIndex 2, CurrentModeIndex 5.
    // clang-format off
    const DisplayModeState display{{{24, 640, 480}, {16, 800, 600}, {24, 800, 600},
                                    {32, 1280, 1024}, {24, 1024, 768}, {24, 1600, 1200}},
                                   4, 24, 2, 5};
    // clang-format on
    EXPECT_EQ(ResolutionEntries(display),
              (std::vector<std::string>{"640x480", "800x600", "1024x768"}));
    EXPECT_EQ(NewFolderEntry("/m", display).Resolution, 3);
}

using platform::MessageAnswer;

struct Step {
    const char* name;
    QAction* Configuration::*action;
    std::vector<std::string> folders; // what the folder dialog gives each time
    std::vector<MessageAnswer> answers;
    std::string asked; // "$" stands for the base folder
    std::string shown; // and "#" for a sub-folder's number in listing order
};

struct FolderList : ConfigurationTest, ::testing::WithParamInterface<Step> {
    std::string At(std::string text) const {
        const std::vector<std::string> listed = platform::ListSubFolders(base.path());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            text = std::regex_replace(text, std::regex("/" + listed[i] + "=#"),
                                      "/" + listed[i] + "=" + std::to_string(3 + i));
        }
        return std::regex_replace(text, std::regex("\\$"), base.path().string());
    }
    TempDirectory base;
};

// Two folders, the first one selected; the base folder holds the
// sub-folders a (itself without any), b and "c d", a hidden one and a file.
TEST_P(FolderList, AddsAndRemoves) {
    for (const char* name : {"b", "a", "c d", ".hidden"}) {
        std::filesystem::create_directory(base / name);
    }
    WriteBytes(base / "photo.jpg", "x");
    WriteCollection({"[Options]", "Description=Holidays", "CurrentFolder=1", "Folders=2",
                     "[Folder1]", "Set=/z/b", "Interval=40", "[Folder2]", "Set=/z/a", "Interval=30",
                     "Center=1", "Background=99"});
    Configuration& d = Open();
    const Step& step = GetParam();
    for (const std::string& folder : step.folders) {
        folders.push_back(At(folder));
    }
    platform.messageBoxes.answers = {step.answers.begin(), step.answers.end()};
    for (std::size_t i = 0; i < std::max(step.folders.size(), step.answers.size()); ++i) {
        (d.*step.action)->trigger();
    }
    EXPECT_EQ(Asked(), At(step.asked));
    EXPECT_EQ(Shown(), At(step.shown) + " | Holidays on | Z/N/P/R/S/F s0 b0 off | m4/4 r1 f0");
}

const std::string kNew = "[Select a new folder to use with Vimbrel :] ";
const std::string kSub = "[Select a folder that contains sub-folders to use with Vimbrel :] ";
const std::string kUse = "Use the sub-folders found in\r\n$ with Vimbrel ? (info, yes/no) ";
const std::string kAsIs = "/z/a=2 */z/b=1 | 1 0:40 001 2/0/0 #000000 on";
const std::string kAdded = " | 3 0:3 001 2/0/0 #000000 on"; // a new folder's defaults
std::string Stop(const std::string& folder) {
    return "Stop using the folder " + folder + " with Vimbrel? (question, yes/no) ";
}
constexpr auto kSingle = &Configuration::Vimbrel_Create_Single;
constexpr auto kMulti = &Configuration::Vimbrel_Create_Multi;
constexpr auto kRemove = &Configuration::Vimbrel_Remove;
constexpr auto kYes = MessageAnswer::Yes, kNo = MessageAnswer::No;

// clang-format off
INSTANTIATE_TEST_SUITE_P(Steps, FolderList, ::testing::Values(
    Step{"NewFolder", kSingle, {"/z/new"}, {}, kNew, "/z/a=2 /z/b=1 */z/new=3" + kAdded},
    Step{"TheSameFolderAgain", kSingle, {"/z/a"}, {}, kNew, "/z/a=2 */z/a=3 /z/b=1" + kAdded},
    Step{"NewFoldersCancelled", kMulti, {""}, {}, kSub, kAsIs},
    Step{"NewFoldersAnsweredNo", kMulti, {"$"}, {kNo}, kSub + kUse, kAsIs},
    Step{"NewFolders", kMulti, {"$//"}, {kYes}, kSub + kUse, "$/a=# $/b=# $/c d=# " + kAsIs},
    Step{"NewFoldersWithoutSubFolders", kMulti, {"$/a"}, {},
         kSub + "No sub-directories found in: $/a (info) ", "*$/a=3 /z/a=2 /z/b=1" + kAdded},
    Step{"RemoveAnsweredNo", kRemove, {}, {kNo}, Stop("/z/b"), kAsIs},
    // The last entry moves into the number freed.
    Step{"Remove", kRemove, {}, {kYes}, Stop("/z/b"), "*/z/a=1 | 1 0:30 011 2/0/0 #630000 on"},
    Step{"RemoveAllAndOnceMore", kRemove, {}, {kYes, kYes, kYes},
         Stop("/z/b") + Stop("/z/a") + Stop(""), "*<begin>=0 | 0 0:0 000 0/0/0 #000000 off"}),
    [](const auto& step) { return std::string(step.param.name); });
// clang-format on

// Keys (with their modifiers) and clicks (once or twice) on the folder
// list's second folder, one after another: what each asked, opened, saved
// or closed.
TEST_F(ConfigurationTest, TheFolderListsKeysAndMouse) {
    WriteCollection({"[Options]", "Folders=2", "[Folder1]", "Set=/z/a", "[Folder2]", "Set=/z/b"});
    Configuration& d = Open();
    const QPoint second = d.List_Folders->visualItemRect(d.List_Folders->item(1)).center();
    std::string happened, saved = CollectionBytes();
    QTimer collections;
    QObject::connect(&collections, &QTimer::timeout, [&] {
        if (auto* shown = dynamic_cast<Collections*>(QApplication::activeModalWidget())) {
            happened +=
                CollectionBytes() != std::exchange(saved, CollectionBytes()) ? "saved, " : "";
            happened += "collections";
            shown->reject();
        }
    });
    collections.start(5);
    // clang-format off
    const std::tuple<int, int, std::string> inputs[] = {
        {Qt::Key_Insert, Qt::ShiftModifier, ""}, {Qt::Key_Delete, Qt::AltModifier, ""},
        {Qt::Key_Insert, 0, kNew}, {Qt::Key_Insert, Qt::ControlModifier, kSub},
        {Qt::Key_Delete, 0, Stop("/z/a")},
        {Qt::Key_Return, 0, "menu"}, {Qt::Key_Return, Qt::ControlModifier, "saved, collections"},
        {Qt::LeftButton, 1, ""}, // selects the second folder
        {Qt::RightButton, 1, "menu"}, {Qt::LeftButton, 2, "saved, collections"},
        {Qt::Key_Escape, 0, "closed"}};
    // clang-format on
    for (const auto& [input, how, expected] : inputs) {
        asked.clear();
        platform.messageBoxes.shown.clear();
        happened.clear();
        QWidget* list = d.List_Folders->viewport();
        input > int(Qt::RightButton)
            ? QTest::keyClick(d.List_Folders, Qt::Key(input), Qt::KeyboardModifiers(how))
        : how == 1 ? QTest::mouseClick(list, Qt::MouseButton(input), {}, second)
                   : QTest::mouseDClick(list, Qt::MouseButton(input), {}, second);
        happened += Asked() + (d.Vimbrel_Folder_Menu->isVisible() ? "menu" : "") +
                    (d.isVisible() ? "" : "closed");
        d.Vimbrel_Folder_Menu->hide();
        EXPECT_EQ(happened, expected);
        EXPECT_EQ(CollectionBytes(), saved) << expected;
    }
}

} // namespace
} // namespace vimbrel::test
