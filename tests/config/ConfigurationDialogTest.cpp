// The dialog as it opens over a collection, and what OK, Cancel and the
// close box leave on disk.

#include "ConfigurationFixture.h"
#include "config/ConfigurationRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace vimbrel {
namespace {

using test::ConfigurationTest;
using test::CrLf;

std::vector<QWidget*> FolderOptionControls(const Configuration& d) {
    return {d.HScroll_Interval, d.Check_Center,     d.Check_RandomOrder, d.Check_Captions,
            d.Command1,         d.Combo_ImageScale, d.Combo_VideoScale,  d.Combo_Resolution};
}

std::vector<std::pair<QString, int>> ListItems(const QListWidget* list) {
    std::vector<std::pair<QString, int>> items;
    for (int i = 0; i < list->count(); ++i) {
        items.emplace_back(list->item(i)->text(), list->item(i)->data(Qt::UserRole).toInt());
    }
    return items;
}

TEST_F(ConfigurationTest, FreshCollectionShowsThePlaceholderAndNoFolderOptions) {
    Configuration& d = Open();
    EXPECT_EQ(d.windowTitle(), "Vimbrel 4.0 Configuration");
    ASSERT_EQ(d.List_Folders->count(), 1);
    EXPECT_EQ(d.List_Folders->item(0)->text(), "<TO BEGIN: right-click to add folder(s)>");
    EXPECT_EQ(d.List_Folders->currentRow(), 0);
    EXPECT_EQ(state.model.settings.CurrentFolder, 0);
    for (const QWidget* control : FolderOptionControls(d)) {
        EXPECT_FALSE(control->isEnabled()) << control->metaObject()->className();
    }
    // The default collection's name stays as it is.
    EXPECT_EQ(d.CollectionName->text(), "<default collection>");
    EXPECT_FALSE(d.CollectionName->isEnabled());
    EXPECT_EQ(d.Label10->text(), "Mouse Sensitivity = 4");
    EXPECT_TRUE(d.Check_Random->isChecked());
    EXPECT_EQ(d.Combo_ImageScale->count(), 4);
    EXPECT_EQ(d.Combo_ImageScale->itemText(3), "Size Images To Fit");
    EXPECT_EQ(d.Combo_VideoScale->itemText(2), "Half Screen Videos");
}

TEST_F(ConfigurationTest, OnlyTheDefaultNameExactlyIsLocked) {
    const std::pair<const char*, bool> cases[] = {
        {"<default collection>", false},
        {"<Default Collection>", true},
        {"Holidays", true},
    };
    for (const auto& [name, editable] : cases) {
        WriteCollection({std::string("Description=") + name}, {});
        Configuration& d = Open();
        EXPECT_EQ(d.CollectionName->text(), name);
        EXPECT_EQ(d.CollectionName->isEnabled(), editable) << name;
    }
}

TEST_F(ConfigurationTest, KeysShowInUpperCaseAndAreUsableOnlyWithSpecialKeys) {
    for (const int special : {0, 1}) {
        WriteCollection({"key_Special=" + std::to_string(special), "key_Pause=106"}, {});
        Configuration& d = Open();
        const std::vector<QLineEdit*> fields = {d.Text4, d.Text5, d.Text6,
                                                d.Text7, d.Text8, d.Text9};
        const QStringList shown = {"J", "N", "P", "R", "S", "F"};
        for (std::size_t i = 0; i < fields.size(); ++i) {
            EXPECT_EQ(fields[i]->text(), shown[static_cast<qsizetype>(i)]);
            EXPECT_EQ(fields[i]->isEnabled(), special == 1);
        }
        EXPECT_EQ(d.Check_Beep->isEnabled(), special == 1);
        EXPECT_EQ(d.Check_Special->isChecked(), special == 1);
    }
}

TEST_F(ConfigurationTest, ResolutionsAreTheModesOfTheDesktopsDepthInOrder) {
    test::TableModeSource modes(
        24, {{24, 640, 480}, {16, 800, 600}, {24, 800, 600}, {24, 1024, 768}, {32, 1280, 1024}});
    Main(state, platform.services, "/C");
    EnumerateDisplayModes(state.display, modes, 800 * 15, 600 * 15);
    Configuration d(state, platform.services, folderPicker, colorPicker);
    d.Form_Load();
    QStringList entries;
    for (int i = 0; i < d.Combo_Resolution->count(); ++i) {
        entries << d.Combo_Resolution->itemText(i);
    }
    EXPECT_EQ(entries, QStringList({"640x480", "800x600", "1024x768"}));
}

TEST_F(ConfigurationTest, FoldersAreSortedIgnoringCaseAndTheCurrentOneIsShown) {
    WriteCollection({"CurrentFolder=3"},
                    {{"/media/beach", {}},
                     {"/media/Alps", {}},
                     {"/media/castles",
                      {"Interval=75", "Captions=1", "Center=1", "ImageScale=3", "RandomOrder=0",
                       "VideoScale=2", "Resolution=0", "Background=255"}}});
    Configuration& d = Open();
    const std::vector<std::pair<QString, int>> expected = {
        {"/media/Alps", 2}, {"/media/beach", 1}, {"/media/castles", 3}};
    EXPECT_EQ(ListItems(d.List_Folders), expected);
    EXPECT_EQ(d.List_Folders->currentRow(), 2);
    EXPECT_EQ(d.HScroll_Interval->value(), 75);
    EXPECT_EQ(d.Label1->text(), "Interval = 1 minutes and 15 seconds");
    EXPECT_TRUE(d.Check_Captions->isChecked());
    EXPECT_TRUE(d.Check_Center->isChecked());
    EXPECT_FALSE(d.Check_RandomOrder->isChecked());
    EXPECT_EQ(d.Combo_ImageScale->currentIndex(), 3);
    EXPECT_EQ(d.Combo_VideoScale->currentIndex(), 2);
    EXPECT_EQ(d.Combo_Resolution->currentIndex(), 0);
    EXPECT_EQ(d.Picture1->palette().color(QPalette::Window), QColor(255, 0, 0));
    for (const QWidget* control : FolderOptionControls(d)) {
        EXPECT_TRUE(control->isEnabled());
    }

    // Clicking another folder makes it current and shows its options.
    d.List_Folders->setCurrentRow(0);
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_EQ(d.Label1->text(), "Interval = 0 minutes and 3 seconds");
    EXPECT_EQ(d.Combo_ImageScale->currentIndex(), 2);
    EXPECT_EQ(d.Picture1->palette().color(QPalette::Window), QColor(0, 0, 0));
}

TEST_F(ConfigurationTest, StoredValuesOutsideTheControlsLeaveThemAsTheyWere) {
    WriteCollection({"CurrentFolder=1", "MouseMoves=500"},
                    {{"/media/a", {"Interval=20", "ImageScale=1"}},
                     {"/media/b", {"Interval=7000", "ImageScale=9", "VideoScale=1", "Center=1"}}});
    Configuration& d = Open();
    d.List_Folders->setCurrentRow(1);
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    // Interval and image scale keep what the first folder showed; the
    // other options are still filled.
    EXPECT_EQ(d.HScroll_Interval->value(), 20);
    EXPECT_EQ(d.Combo_ImageScale->currentIndex(), 1);
    EXPECT_EQ(d.Combo_VideoScale->currentIndex(), 1);
    EXPECT_TRUE(d.Check_Center->isChecked());
    // Showing the options changes none of them.
    EXPECT_EQ(Entry(2).Interval, 7000);
    EXPECT_EQ(Entry(2).ImageScale, 9);
    // A sensitivity beyond the bar shows as its highest value.
    EXPECT_EQ(d.HScroll_MouseMoves->value(), 100);
}

TEST_F(ConfigurationTest, CurrentFolderOutsideTheTableSelectsTheFirstFolder) {
    for (const int current : {9, -2, 0}) {
        WriteCollection({"CurrentFolder=" + std::to_string(current)},
                        {{"/media/b", {}}, {"/media/a", {}}});
        Configuration& d = Open();
        EXPECT_EQ(d.List_Folders->currentRow(), 0);
        EXPECT_EQ(state.model.settings.CurrentFolder, 2) << current;
    }
}

const std::string kSavedTwoFolders = CrLf({"[Options]",
                                           "key_Beep=0",
                                           "key_Captions=102",
                                           "key_NewFolder=115",
                                           "key_Next=110",
                                           "key_Pause=122",
                                           "key_Previous=112",
                                           "key_Rename=114",
                                           "key_Special=0",
                                           "CurrentFolder=1",
                                           "Description=Holidays",
                                           "LastFileName=",
                                           "MouseMoves=4",
                                           "RandomFolder=1",
                                           "Folders=2",
                                           "",
                                           "[Renaming]",
                                           "MinWidth=0",
                                           "MinHeight=0",
                                           "MaxWidth=0",
                                           "MaxHeight=0",
                                           "",
                                           "[Folder1]",
                                           "Captions=0",
                                           "Background=0",
                                           "Center=0",
                                           "Interval=3",
                                           "ImageScale=2",
                                           "RandomOrder=1",
                                           "Set=/media/a",
                                           "VideoScale=0",
                                           "Resolution=0",
                                           "",
                                           "[Folder2]",
                                           "Captions=0",
                                           "Background=0",
                                           "Center=0",
                                           "Interval=3",
                                           "ImageScale=2",
                                           "RandomOrder=1",
                                           "Set=/media/b",
                                           "VideoScale=0",
                                           "Resolution=0",
                                           ""});

TEST_F(ConfigurationTest, OkWritesTheCollectionEvenWhenNothingChanged) {
    WriteCollection({"Description=Holidays", "LastFileName=x.jpg"},
                    {{"/media/a", {}}, {"/media/b", {}}});
    const std::string before = CollectionBytes();
    Configuration& d = Open();
    d.Command5->click();
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(CollectionBytes(), kSavedTwoFolders);
    EXPECT_EQ(test::ReadBytes(platform / "vimbrel000.bak"), before);
}

TEST_F(ConfigurationTest, CancelAndTheCloseBoxWriteNothing) {
    for (const bool closeBox : {false, true}) {
        WriteCollection({"Description=Holidays"}, {{"/media/a", {}}});
        const std::string before = CollectionBytes();
        Configuration& d = OpenShown();
        d.CollectionName->setText("Changed");
        d.HScroll_Interval->setValue(99);
        if (closeBox) {
            d.close();
        } else {
            d.Command6->click();
        }
        EXPECT_EQ(d.result(), QDialog::Rejected);
        EXPECT_FALSE(d.isVisible());
        EXPECT_EQ(CollectionBytes(), before);
        EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.bak"));
    }
}

TEST_F(ConfigurationTest, OkStoresTheGlobalOptions) {
    WriteCollection({"Description=Holidays", "key_Special=1", "RandomFolder=1"}, {{"/a", {}}});
    Configuration& d = Open();
    d.CollectionName->setText("Summer");
    d.Check_Beep->setChecked(true);
    d.Check_Random->setChecked(false);
    d.HScroll_MouseMoves->setValue(12);
    d.Text4->setText("X");
    d.Text9->setText("QW");
    // A key field left empty keeps the key it had.
    d.Text5->clear();
    d.Command5->click();
    const std::string saved = CollectionBytes();
    for (const char* line : {"key_Beep=1\r\n", "key_Captions=113\r\n", "key_Next=110\r\n",
                             "key_Pause=120\r\n", "key_Special=1\r\n", "Description=Summer\r\n",
                             "MouseMoves=12\r\n", "RandomFolder=0\r\n"}) {
        EXPECT_NE(saved.find(line), std::string::npos) << line;
    }
}

TEST_F(ConfigurationTest, FailedSaveIsReportedAndTheDialogStays) {
    WriteCollection({"Description=Holidays"}, {{"/a", {}}});
    Configuration& d = OpenShown();
    // A folder where the collection file should be: the save cannot replace it.
    std::filesystem::remove(CollectionPath());
    std::filesystem::create_directory(CollectionPath());
    d.CollectionName->setText("Kept");
    d.Command5->click();
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Critical);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(d.CollectionName->text(), "Kept");
    d.reject();
}

TEST_F(ConfigurationTest, AThousandFoldersAndLongPathsOpenAndSaveWhole) {
    std::vector<test::FolderLines> folders;
    for (int i = 0; i < 1000; ++i) {
        folders.push_back({"/media/photos/" + std::to_string(1000 + i), {"Interval=7"}});
    }
    // A path of 253 characters, and one that no longer exists.
    folders[500].path = "/" + std::string(252, 'p');
    folders[999].path = "/gone/since/it/was/chosen";
    WriteCollection({"CurrentFolder=1000"}, folders);
    Configuration& d = Open();
    ASSERT_EQ(d.List_Folders->count(), 1000);
    EXPECT_EQ(d.List_Folders->currentItem()->text(), "/gone/since/it/was/chosen");
    EXPECT_EQ(d.List_Folders->currentItem()->data(Qt::UserRole).toInt(), 1000);
    EXPECT_EQ(d.HScroll_Interval->value(), 7);
    d.List_Folders->scrollToBottom();
    d.Command5->click();
    const std::string saved = CollectionBytes();
    EXPECT_NE(saved.find("[Folder1000]\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Set=/" + std::string(252, 'p') + "\r\n"), std::string::npos);
    EXPECT_NE(saved.find("Set=/gone/since/it/was/chosen\r\n"), std::string::npos);
}

} // namespace
} // namespace vimbrel
