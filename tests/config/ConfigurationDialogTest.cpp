// The configuration dialog over collection files as people and other systems
// write them: what it shows (see Shown()), what the user does, and what OK
// then writes, byte for byte, with the previous file kept as the backup.

#include "ConfigurationFixture.h"

namespace vimbrel::test {
namespace {

struct Case {
    const char* name;
    std::vector<std::string> file;
    std::function<void(ConfigurationTest&)> act;
    std::string shown; // not compared when empty
    std::string saved;
};

void PrintTo(const Case& row, std::ostream* out) {
    *out << row.name;
}

class ConfigurationDialog : public ConfigurationTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ConfigurationDialog, ShowsTheCollectionAndOkSavesIt) {
    WriteCollection(GetParam().file);
    Configuration& d = Open();
    const std::string before = CollectionBytes();
    if (GetParam().act) {
        GetParam().act(*this);
    }
    ASSERT_TRUE(d.isVisible());
    if (!GetParam().shown.empty()) {
        EXPECT_EQ(Shown(), GetParam().shown);
    }
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

const std::string kKeys = "Z/N/P/R/S/F s0 b0 off | m4/4 r1";
const std::string kName = "Caf\xE9 " + std::string(65, 'x') + " \x80 na\xEFve";

// clang-format off
INSTANTIATE_TEST_SUITE_P(Files, ConfigurationDialog, ::testing::Values(
    Case{"NoFolders", {"[Options]", "Folders=-3", "[Folder1]", "Set=/a"}, nullptr,
         "*<begin>=0 | 0 0:0 000 0/0/0 #000000 off | <default collection> off | " + kKeys,
         ExpectedCollection("CurrentFolder=0", {})},
    Case{"FoldersSortedAndTheCurrentOneShown",
         {"[Options]", "CurrentFolder=3", "Description=Holidays", "LastFileName=x.jpg", "Folders=3",
          "[Folder1]", "Set=/media/beach", "[Folder2]", "Set=/media/Alps", "[Folder3]",
          "Set=/media/castles", "Interval=75", "Captions=1", "Center=1", "ImageScale=3",
          "RandomOrder=0", "VideoScale=2", "Background=255"},
         [](ConfigurationTest& test) {
             EXPECT_EQ(test.Shown(), "/media/Alps=2 /media/beach=1 */media/castles=3 | 3 1:15 110 "
                                  "3/2/0 #ff0000 on | Holidays on | " + kKeys);
             test.dialog->List_Folders->setCurrentRow(0);
         },
         "*/media/Alps=2 /media/beach=1 /media/castles=3 | 2 0:3 001 2/0/0 #000000 on | "
         "Holidays on | " + kKeys,
         ExpectedCollection("CurrentFolder=2|Description=Holidays",
                            {"Set=/media/beach", "Set=/media/Alps", "Set=/media/castles|"
                             "Interval=75|Captions=1|Center=1|ImageScale=3|RandomOrder=0|"
                             "VideoScale=2|Background=255"})},
    Case{"CurrentFolderBeyondTheTable",
         {"[Options]", "CurrentFolder=9", "Folders=2", "[Folder1]", "Set=/b", "[Folder2]",
          "Set=/a"},
         [](ConfigurationTest& test) {
             test.dialog->HScroll_Interval->setValue(0);
             test.dialog->HScroll_MouseMoves->setValue(0); // the mouse never ends the show
         },
         "*/a=2 /b=1 | 2 0:0 001 2/0/0 #000000 on | <default collection> off | Z/N/P/R/S/F s0 b0 "
         "off | m0/0 r1",
         ExpectedCollection("CurrentFolder=2|MouseMoves=0", {"Set=/b", "Set=/a|Interval=0"})},
    // Only the default name exactly is locked.
    Case{"ValuesNoControlCanShowAreKept",
         {"[Options]", "MouseMoves=500", "key_Beep=5", "RandomFolder=7", "key_Special=3",
          "key_Next=78", "key_Pause=106", "Description=<Default Collection>", "Folders=1",
          "[Folder1]", "Set=/a", "Interval=7000", "ImageScale=9", "VideoScale=1", "Center=1"},
         nullptr,
         "*/a=1 | 1 0:0 011 -1/1/0 #000000 on | <Default Collection> on | J/N/P/R/S/F s1 b0 on | "
         "m500/100 r0",
         ExpectedCollection("MouseMoves=500|key_Beep=5|RandomFolder=7|key_Special=3|key_Next=78|"
                            "key_Pause=106|Description=<Default Collection>",
                            {"Set=/a|Interval=7000|ImageScale=9|VideoScale=1|Center=1"})},
    Case{"Windows1252AndLongNamesKeepTheirBytes",
         {"[Options]", "Description=" + kName, "Folders=1", "[Folder1]", "Set=/\xE9t\xE9"}, nullptr,
         "*/\xC3\xA9t\xC3\xA9=1 | 1 0:3 001 2/0/0 #000000 on | Caf\xC3\xA9 " +
         std::string(65, 'x') + " \xE2\x82\xAC na\xC3\xAFve on | " + kKeys,
         ExpectedCollection("Description=" + kName, {"Set=/\xE9t\xE9"})},
    Case{"AnEditedNameIsWrittenAsTyped", {"[Options]", "Description=" + kName},
         [](ConfigurationTest& test) {
             test.dialog->CollectionName->setFocus();
             test.dialog->CollectionName->end(false);
             QTest::keyClick(test.dialog->CollectionName, Qt::Key_Backspace);
         },
         "", ExpectedCollection("CurrentFolder=0|Description=Caf\xC3\xA9 " + std::string(65, 'x') +
                                " \xE2\x82\xAC na\xC3\xAFv", {})},
    Case{"BlanksVerticalTabsAndQuotes",
         {"\v[\tOptions\v]", "\v Description \t=\v \"\"quoted\"\" \t\v", "\tFolders\v=\t1\v",
          "MinWidth=100", "[Folder1]", "\tSet\v=\v\"/media/edge\v\"\t"}, nullptr, "",
         ExpectedCollection("Description=\"\"quoted\"\"", {"Set=\"/media/edge\v\""})},
    Case{"GlobalOptionsAsTyped", {"[Options]", "Description=Holidays"},
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
             d.HScroll_MouseMoves->setValue(12);
             d.CollectionName->setFocus();
             d.CollectionName->selectAll();
             QTest::keyClicks(d.CollectionName, QString(60, 'n')); // takes 50
             for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
                 QTest::keyClick(d.CollectionName, key); // neither saves nor closes
             }
         },
         "*<begin>=0 | 0 0:0 000 0/0/0 #000000 off | " + std::string(50, 'n') +
         " on | P/X//A//CB s1 b1 on | m12/12 r0",
         ExpectedCollection("CurrentFolder=0|key_Beep=1|key_Captions=99|key_Next=120|key_Pause=112|"
                            "key_Rename=97|key_Special=1|MouseMoves=12|RandomFolder=0|"
                            "Description=" + std::string(50, 'n'), {})},
    Case{"FolderOptionsGoIntoTheSelectedEntryAtOnce",
         {"[Options]", "CurrentFolder=2", "Folders=2", "[Folder1]", "Set=/m/a", "[Folder2]",
          "Set=/m/b"},
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
             EXPECT_EQ(test.Shown(), "/m/a=1 */m/b=2 | 2 99:51 110 3/1/0 #000000 on | <default "
                                  "collection> off | " + kKeys);
             d.HScroll_MouseMoves->setValue(500);
             test.pickers.colors = {0x00FF00 /* blue 0, green 255 */, std::nullopt};
             QTest::mouseClick(d.Command1, Qt::LeftButton);
             EXPECT_EQ(d.Picture1->palette().color(QPalette::Window), Qt::green);
             d.List_Folders->setCurrentRow(0);
             QTest::mouseClick(d.Command1, Qt::LeftButton); // cancelled
             EXPECT_EQ(test.pickers.starts, (std::vector<int32_t>{0, 0x00FF00}));
         },
         "*/m/a=1 /m/b=2 | 1 0:3 001 2/0/0 #000000 on | <default collection> off | Z/N/P/R/S/F s0 "
         "b0 off | m100/100 r1",
         ExpectedCollection("CurrentFolder=1|MouseMoves=100",
                            {"Set=/m/a", "Set=/m/b|Captions=1|Center=1|RandomOrder=0|ImageScale=3|"
                                         "VideoScale=1|Interval=5991|Background=65280"})}),
    [](const auto& row) { return std::string(row.param.name); });
// clang-format on

TEST_F(ConfigurationTest, CancelAndTheCloseBoxWriteNothing) {
    for (const bool closeBox : {false, true}) {
        WriteCollection({"[Options]", "Folders=1", "[Folder1]", "Set=/a"});
        const std::string before = CollectionBytes();
        Configuration& d = Open();
        d.HScroll_Interval->setValue(99);
        closeBox ? (void)d.close() : d.Command6->click();
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(CollectionBytes(), before);
        EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.bak"));
    }
}

TEST_F(ConfigurationTest, AFailedSaveIsReportedAndTheDialogStays) {
    WriteCollection({"[Options]", "Description=Holidays"});
    Configuration& d = Open();
    // A folder where the collection file should be: the save cannot replace it.
    std::filesystem::remove(platform / "vimbrel000.ini");
    std::filesystem::create_directory(platform / "vimbrel000.ini");
    d.CollectionName->setText("Kept");
    d.Command5->click();
    EXPECT_EQ(platform.messageBoxes.shown.at(0).icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.CollectionName->text(), "Kept");
}

// Every control inside its window, the collections window too; the colour
// swatch square inside the right end of its button.
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
    EXPECT_EQ(d.windowTitle() + ", " + collections.windowTitle(),
              "Vimbrel 4.0 Configuration, Vimbrel 4.0 Collections");
    const QRect button = d.Command1->geometry(), swatch = d.Picture1->geometry();
    EXPECT_TRUE(button.contains(swatch) && swatch.left() > button.center().x());
    EXPECT_EQ(swatch.width(), swatch.height());
}

} // namespace
} // namespace vimbrel::test
