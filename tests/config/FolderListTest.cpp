// Adding and removing folders, the folder list's keys and its menu, with
// real folders and the folder dialog answered by the test.

#include "ConfigurationFixture.h"
#include "TempDirectory.h"
#include "platform/SubFolders.h"

#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>

namespace vimbrel {
namespace {

using platform::MessageAnswer;
using test::ConfigurationTest;
using test::TempDirectory;

std::string PathOf(const TempDirectory& directory, std::string_view name = {}) {
    return name.empty() ? directory.path().string() : (directory / name).string();
}

QString CurrentText(const Configuration& d) {
    return d.List_Folders->currentItem()->text();
}

class FolderList : public ConfigurationTest {
protected:
    void SendKey(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(dialog->List_Folders, key, modifiers);
    }
};

TEST_F(FolderList, NewFolderIsAddedWithTheDefaultsAndSelected) {
    TempDirectory pictures;
    WriteCollection({"CurrentFolder=1"}, {{"/zzz/last", {"Interval=40"}}});
    Configuration& d = Open();
    folderPicker.answers = {PathOf(pictures)};
    d.Vimbrel_Create_Single->trigger();
    ASSERT_EQ(folderPicker.prompts.size(), 1u);
    EXPECT_EQ(folderPicker.prompts[0], "Select a new folder to use with Vimbrel :");
    ASSERT_EQ(state.model.settings.Folders, 2);
    const FolderEntry& added = Entry(2);
    EXPECT_EQ(added.Folder, PathOf(pictures));
    EXPECT_EQ(added.Interval, 3);
    EXPECT_EQ(added.ImageScale, 2);
    EXPECT_EQ(added.RandomOrder, 1);
    EXPECT_EQ(added.Background, 0);
    EXPECT_EQ(added.Resolution, state.display.CurrentModeIndex - state.display.FirstModeIndex);
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_EQ(CurrentText(d).toStdString(), PathOf(pictures));
    EXPECT_EQ(d.Label1->text(), "Interval = 0 minutes and 3 seconds");
    EXPECT_TRUE(d.HScroll_Interval->isEnabled());
}

TEST_F(FolderList, TheSameFolderTwiceShowsTheOptionsOfTheNewEntry) {
    TempDirectory pictures;
    WriteCollection({}, {{PathOf(pictures), {"Interval=40", "Center=1"}}});
    Configuration& d = Open();
    folderPicker.answers = {PathOf(pictures)};
    d.Vimbrel_Create_Single->trigger();
    EXPECT_EQ(state.model.settings.Folders, 2);
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_EQ(d.HScroll_Interval->value(), 3);
    EXPECT_FALSE(d.Check_Center->isChecked());
    // And the options changed now are the new entry's.
    d.HScroll_Interval->setValue(9);
    EXPECT_EQ(Entry(2).Interval, 9);
    EXPECT_EQ(Entry(1).Interval, 40);
}

TEST_F(FolderList, CancelledPickerChangesNothing) {
    WriteCollection({}, {{"/media/a", {}}});
    Configuration& d = Open();
    d.Vimbrel_Create_Single->trigger();
    d.Vimbrel_Create_Multi->trigger();
    EXPECT_EQ(folderPicker.prompts.size(), 2u);
    EXPECT_EQ(state.model.settings.Folders, 1);
    EXPECT_EQ(d.List_Folders->count(), 1);
    EXPECT_TRUE(platform.messageBoxes.shown.empty());
}

TEST_F(FolderList, NewFoldersAddsEverySubFolderInListingOrderAfterAYes) {
    TempDirectory base;
    for (const char* name : {"b", "a", "c d"}) {
        std::filesystem::create_directory(base / name);
    }
    std::filesystem::create_directory(base / ".hidden");
    test::WriteBytes(base / "photo.jpg", "x");
    WriteCollection({"CurrentFolder=1"}, {{"/zzz/kept", {}}});
    Configuration& d = Open();
    folderPicker.answers = {PathOf(base) + "/"};
    platform.messageBoxes.answers = {MessageAnswer::Yes};
    d.Vimbrel_Create_Multi->trigger();

    EXPECT_EQ(folderPicker.prompts[0],
              "Select a folder that contains sub-folders to use with Vimbrel :");
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text,
              "Use the sub-folders found in\r\n" + PathOf(base) + " with Vimbrel ?");
    EXPECT_EQ(platform.messageBoxes.shown[0].buttons, platform::MessageButtons::YesNo);
    ASSERT_EQ(state.model.settings.Folders, 4);
    const std::vector<std::string> listed = platform::ListSubFolders(base.path());
    for (std::size_t i = 0; i < listed.size(); ++i) {
        EXPECT_EQ(Entry(static_cast<int>(i) + 2).Folder, PathOf(base, listed[i]));
    }
    // The list is alphabetical; the selection stays on the folder it had.
    EXPECT_EQ(d.List_Folders->item(0)->text().toStdString(), PathOf(base, "a"));
    EXPECT_EQ(d.List_Folders->item(2)->text().toStdString(), PathOf(base, "c d"));
    EXPECT_EQ(CurrentText(d), "/zzz/kept");
    EXPECT_EQ(state.model.settings.CurrentFolder, 1);
}

TEST_F(FolderList, NewFoldersAnsweredNoAddsNothing) {
    TempDirectory base;
    std::filesystem::create_directory(base / "a");
    WriteCollection({}, {{"/media/a", {}}});
    Configuration& d = Open();
    folderPicker.answers = {PathOf(base)};
    platform.messageBoxes.answers = {MessageAnswer::No};
    d.Vimbrel_Create_Multi->trigger();
    EXPECT_EQ(state.model.settings.Folders, 1);
    EXPECT_EQ(d.List_Folders->count(), 1);
}

TEST_F(FolderList, NewFoldersOnAFolderOfFilesAddsThatFolderAfterSayingSo) {
    TempDirectory base;
    test::WriteBytes(base / "photo.jpg", "x");
    Configuration& d = Open();
    folderPicker.answers = {PathOf(base)};
    d.Vimbrel_Create_Multi->trigger();
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text, "No sub-directories found in: " + PathOf(base));
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Information);
    ASSERT_EQ(state.model.settings.Folders, 1);
    EXPECT_EQ(Entry(1).Folder, PathOf(base));
    EXPECT_EQ(state.model.settings.CurrentFolder, 1);
    EXPECT_EQ(CurrentText(d).toStdString(), PathOf(base));
    EXPECT_TRUE(d.Check_Center->isEnabled());
}

TEST_F(FolderList, RemovingMovesTheLastEntryIntoTheFreedNumber) {
    WriteCollection({"CurrentFolder=3"}, {{"/m/e", {}},
                                          {"/m/d", {}},
                                          {"/m/c", {"Interval=30"}},
                                          {"/m/b", {}},
                                          {"/m/a", {"Interval=50", "Center=1", "Background=99"}}});
    Configuration& d = Open();
    platform.messageBoxes.answers = {MessageAnswer::Yes};
    d.Vimbrel_Remove->trigger();
    EXPECT_EQ(platform.messageBoxes.shown[0].text, "Stop using the folder /m/c with Vimbrel?");
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Question);
    ASSERT_EQ(state.model.settings.Folders, 4);
    EXPECT_EQ(Entry(3).Folder, "/m/a");
    EXPECT_EQ(Entry(3).Interval, 50);
    EXPECT_EQ(Entry(3).Center, 1);
    EXPECT_EQ(Entry(3).Background, 99);
    // The alphabetically first folder is selected.
    EXPECT_EQ(CurrentText(d), "/m/a");
    EXPECT_EQ(state.model.settings.CurrentFolder, 3);
    EXPECT_EQ(d.HScroll_Interval->value(), 50);
}

TEST_F(FolderList, RemovingTheLastFolderLeavesThePlaceholder) {
    WriteCollection({}, {{"/m/only", {}}});
    Configuration& d = Open();
    platform.messageBoxes.answers = {MessageAnswer::No};
    d.Vimbrel_Remove->trigger();
    EXPECT_EQ(state.model.settings.Folders, 1);
    platform.messageBoxes.answers = {MessageAnswer::Yes};
    d.Vimbrel_Remove->trigger();
    EXPECT_EQ(state.model.settings.Folders, 0);
    EXPECT_EQ(state.model.settings.CurrentFolder, 0);
    EXPECT_EQ(CurrentText(d), "<TO BEGIN: right-click to add folder(s)>");
    EXPECT_FALSE(d.Combo_Resolution->isEnabled());

    // Asked again over the placeholder, with no folder to name.
    platform.messageBoxes.answers = {MessageAnswer::Yes};
    d.Vimbrel_Remove->trigger();
    EXPECT_EQ(platform.messageBoxes.shown.back().text, "Stop using the folder  with Vimbrel?");
    EXPECT_EQ(state.model.settings.Folders, 0);
    EXPECT_EQ(d.List_Folders->count(), 1);
}

TEST_F(FolderList, KeysOfTheList) {
    TempDirectory pictures;
    WriteCollection({"Description=Holidays"}, {{"/m/a", {}}, {"/m/b", {}}});
    const std::string before = CollectionBytes();
    OpenShown();
    dialog->List_Folders->setFocus();

    // Shift+Insert and Alt+Delete are no keys of the list.
    SendKey(Qt::Key_Insert, Qt::ShiftModifier);
    SendKey(Qt::Key_Delete, Qt::AltModifier);
    EXPECT_TRUE(folderPicker.prompts.empty());
    EXPECT_TRUE(platform.messageBoxes.shown.empty());

    SendKey(Qt::Key_Insert);
    ASSERT_EQ(folderPicker.prompts.size(), 1u);
    EXPECT_EQ(folderPicker.prompts[0], "Select a new folder to use with Vimbrel :");
    SendKey(Qt::Key_Insert, Qt::ControlModifier);
    ASSERT_EQ(folderPicker.prompts.size(), 2u);
    EXPECT_EQ(folderPicker.prompts[1],
              "Select a folder that contains sub-folders to use with Vimbrel :");
    SendKey(Qt::Key_Delete);
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(state.model.settings.Folders, 2);

    // Enter opens the menu; nothing is saved by it.
    SendKey(Qt::Key_Return);
    EXPECT_TRUE(dialog->Vimbrel_Folder_Menu->isVisible());
    dialog->Vimbrel_Folder_Menu->hide();
    EXPECT_EQ(CollectionBytes(), before);

    // Ctrl+Enter saves, as the double-click does, opens the collections
    // over the saved state, and the dialog stays.
    dialog->CollectionName->setText("Saved");
    std::string savedWhenOpen;
    WhenCollectionsOpen([&](Collections& collections) {
        savedWhenOpen = CollectionBytes();
        collections.reject();
    });
    SendKey(Qt::Key_Return, Qt::ControlModifier);
    EXPECT_NE(savedWhenOpen.find("Description=Saved\r\n"), std::string::npos);
    EXPECT_EQ(CollectionBytes(), savedWhenOpen);
    EXPECT_TRUE(dialog->isVisible());

    // Escape ends the dialog without saving what came after.
    dialog->CollectionName->setText("Lost");
    const std::string saved = CollectionBytes();
    dialog->List_Folders->setFocus();
    SendKey(Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
    EXPECT_EQ(CollectionBytes(), saved);
}

TEST_F(FolderList, RightClickOpensTheMenuAndDoubleClickSaves) {
    WriteCollection({"Description=Holidays"}, {{"/m/a", {}}, {"/m/b", {}}});
    const std::string before = CollectionBytes();
    Configuration& d = OpenShown();
    QWidget* viewport = d.List_Folders->viewport();
    const QPoint second = d.List_Folders->visualItemRect(d.List_Folders->item(1)).center();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, second);
    EXPECT_EQ(state.model.settings.CurrentFolder, 2);
    EXPECT_FALSE(d.Vimbrel_Folder_Menu->isVisible());
    QTest::mouseClick(viewport, Qt::RightButton, {}, second);
    EXPECT_TRUE(d.Vimbrel_Folder_Menu->isVisible());
    const QList<QAction*> items = d.Vimbrel_Folder_Menu->actions();
    ASSERT_EQ(items.size(), 4);
    EXPECT_EQ(items[0]->text(), "New Folder...");
    EXPECT_EQ(items[1]->text(), "New Folders...");
    EXPECT_TRUE(items[2]->isSeparator());
    EXPECT_EQ(items[3]->text(), "Remove Folder...");
    d.Vimbrel_Folder_Menu->hide();
    EXPECT_EQ(CollectionBytes(), before);

    d.CollectionName->setText("Saved");
    bool opened = false;
    WhenCollectionsOpen([&](Collections& collections) {
        opened = true;
        collections.reject();
    });
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, second);
    EXPECT_TRUE(opened);
    EXPECT_NE(CollectionBytes().find("Description=Saved\r\nLastFileName=\r\n"), std::string::npos);
    EXPECT_NE(CollectionBytes().find("CurrentFolder=2\r\n"), std::string::npos);
    EXPECT_EQ(test::ReadBytes(platform / "vimbrel000.bak"), before);
    EXPECT_TRUE(d.isVisible());
    d.reject();
}

} // namespace
} // namespace vimbrel
