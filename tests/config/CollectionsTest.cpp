// The collections dialog over real collection files in the test's settings
// directory, in front of a real configuration dialog.

#include "ConfigurationFixture.h"
#include "config/CollectionFiles.h"

#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <algorithm>
#include <filesystem>

namespace vimbrel {
namespace {

using platform::MessageAnswer;
using test::ConfigurationTest;
using test::CrLf;
using test::ReadBytes;
using test::WriteBytes;

class CollectionsDialog : public ConfigurationTest {
protected:
    // A collection file as a save leaves it (RandomFolder set), with folders.
    void Saved(int number, const std::string& description,
               const std::vector<std::string>& folders = {}) {
        std::string bytes = "[Options]\r\nDescription=" + description +
                            "\r\nRandomFolder=1\r\nFolders=" + std::to_string(folders.size()) +
                            "\r\n";
        for (std::size_t i = 0; i < folders.size(); ++i) {
            bytes += "[Folder" + std::to_string(i + 1) + "]\r\nSet=" + folders[i] + "\r\n";
        }
        WriteBytes(File(number), bytes);
    }
    void Active(const std::string& file) {
        WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=" + file}));
    }
    std::filesystem::path File(int number) const { return platform / CollectionFileName(number); }
    std::string Master() const { return ReadBytes(platform / "vimbrel.ini"); }

    // Start-up, the configuration dialog, then the collections over it.
    Collections& OpenCollections() {
        Open();
        collections = std::make_unique<Collections>(state, platform.services, *dialog);
        collections->Form_Load();
        return *collections;
    }

    std::vector<std::string> Column(const QListWidget* list) const {
        std::vector<std::string> texts;
        for (int i = 0; i < list->count(); ++i) {
            texts.push_back(list->item(i)->text().toStdString());
        }
        return texts;
    }
    std::string SelectedFile() const {
        return collections->List2->currentItem()->text().toStdString();
    }
    void Click(const std::string& file) {
        const std::vector<std::string> files = Column(collections->List2);
        const auto at = std::find(files.begin(), files.end(), file);
        ASSERT_NE(at, files.end()) << file;
        collections->List1->setCurrentRow(static_cast<int>(at - files.begin()));
    }
    void Delete(const std::string& file, MessageAnswer answer = MessageAnswer::Yes) {
        Click(file);
        platform.messageBoxes.answers = {answer};
        collections->Delete_Collection->trigger();
    }

    std::unique_ptr<Collections> collections;
};

TEST_F(CollectionsDialog, ListsTheCollectionsByDescription) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays");
    WriteBytes(File(2), CrLf({"[Options]", "Description=Hidden", "RandomFolder=9"}));
    WriteBytes(File(3), CrLf({"[Options]", "Description=New Collection (3)"}));
    WriteBytes(File(4), CrLf({"[Options]", "RandomFolder=0"}));
    WriteBytes(platform / "foreign.ini", CrLf({"[Options]", "Colour=red"}));
    WriteBytes(platform / "holiday.ini",
               CrLf({"[Options]", "Description=Named", "RandomFolder=1"}));
    Active("vimbrel001.ini");
    Collections& c = OpenCollections();

    EXPECT_EQ(c.windowTitle(), "Vimbrel 4.0 Collections");
    EXPECT_EQ(c.List1->toolTip(), "Right-click for options.");
    EXPECT_FALSE(c.List2->isVisibleTo(&c));
    std::vector<std::pair<std::string, std::string>> rows;
    for (int i = 0; i < c.List1->count(); ++i) {
        rows.emplace_back(c.List2->item(i)->text().toStdString(),
                          c.List1->item(i)->text().toStdString());
    }
    std::sort(rows.begin(), rows.end());
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"holiday.ini", "Named"},
        {"vimbrel000.ini", "<default collection>"},
        {"vimbrel001.ini", "Holidays"},
        {"vimbrel004.ini", "<unknown>"}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(Column(c.List3), (std::vector<std::string>{"holiday.ini", "vimbrel000.ini",
                                                         "vimbrel001.ini", "vimbrel004.ini"}));
    // The active collection is the one selected, and it can be deleted.
    EXPECT_EQ(SelectedFile(), "vimbrel001.ini");
    EXPECT_EQ(c.List1->currentItem()->text(), "Holidays");
    EXPECT_TRUE(c.Delete_Collection->isEnabled());
    Click("vimbrel000.ini");
    EXPECT_FALSE(c.Delete_Collection->isEnabled());
}

// A directory lists its files in no order of its own; the dialog lists
// them by file name.
TEST_F(CollectionsDialog, ListsInFileNameOrder) {
    const std::vector<int> numbers = {6, 2, 0, 5, 1, 4, 3};
    for (const int number : numbers) {
        Saved(number, "Collection " + std::to_string(number));
    }
    Active("vimbrel000.ini");
    Collections& c = OpenCollections();
    std::vector<std::string> expected;
    for (int number = 0; number <= 6; ++number) {
        expected.push_back(CollectionFileName(number));
    }
    EXPECT_EQ(Column(c.List2), expected);
}

// Every control of both windows within its window's client area.
TEST_F(CollectionsDialog, EveryControlLiesInsideItsWindow) {
    Saved(0, "<default collection>");
    Active("vimbrel000.ini");
    Collections& c = OpenCollections();
    for (QWidget* window : {static_cast<QWidget*>(dialog.get()), static_cast<QWidget*>(&c)}) {
        for (QWidget* control : window->findChildren<QWidget*>()) {
            if (!control->isVisibleTo(window) || control->isWindow()) {
                continue;
            }
            const QRect area(control->mapTo(window, QPoint(0, 0)), control->size());
            EXPECT_TRUE(window->rect().contains(area))
                << window->windowTitle().toStdString() << ": " << control->metaObject()->className()
                << " " << control->objectName().toStdString() << " at " << area.y() << "+"
                << area.height() << " in " << window->height();
        }
    }
}

TEST_F(CollectionsDialog, AClickPreviewsAndEveryWayOutButOkBringsTheActiveBack) {
    enum class Way { Cancel, Escape, CloseBox };
    for (const Way way : {Way::Cancel, Way::Escape, Way::CloseBox}) {
        SCOPED_TRACE(static_cast<int>(way));
        Saved(0, "<default collection>");
        Saved(1, "Holidays", {"/m/a"});
        Saved(2, "Work", {"/w/x", "/w/y"});
        Active("vimbrel001.ini");
        const std::string master = Master();
        Collections& c = OpenCollections();
        c.show();

        Click("vimbrel002.ini");
        EXPECT_EQ(state.model.settings.Description, "Work");
        EXPECT_EQ(state.model.settings.Folders, 2);
        EXPECT_EQ(dialog->CollectionName->text(), "Work");
        EXPECT_EQ(dialog->List_Folders->count(), 2);
        EXPECT_EQ(state.files.CollectionFile, "vimbrel001.ini");

        if (way == Way::Cancel) {
            c.Command8->click();
        } else if (way == Way::Escape) {
            QTest::keyClick(c.List1, Qt::Key_Escape);
        } else {
            c.close();
        }
        EXPECT_FALSE(c.isVisible());
        EXPECT_EQ(c.result(), QDialog::Rejected);
        EXPECT_EQ(state.model.settings.Description, "Holidays");
        EXPECT_EQ(dialog->CollectionName->text(), "Holidays");
        EXPECT_EQ(dialog->List_Folders->item(0)->text(), "/m/a");
        EXPECT_EQ(state.files.CollectionFile, "vimbrel001.ini");
        EXPECT_EQ(Master(), master);
        collections.reset();
        dialog.reset();
    }
}

TEST_F(CollectionsDialog, OkMakesTheClickedCollectionActive) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays");
    Saved(2, "Work", {"/w/x"});
    Active("vimbrel001.ini");
    Collections& c = OpenCollections();
    Click("vimbrel002.ini");
    c.Command7->click();
    EXPECT_EQ(c.result(), QDialog::Accepted);
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel002.ini"}));
    EXPECT_EQ(state.files.CollectionFile, "vimbrel002.ini");
    EXPECT_EQ(state.model.settings.Description, "Work");
    EXPECT_EQ(dialog->List_Folders->item(0)->text(), "/w/x");
}

TEST_F(CollectionsDialog, DeletingClosesUpTheNumbersWhileBackupsKeepTheirNames) {
    for (int k = 0; k <= 3; ++k) {
        Saved(k, k == 0 ? "<default collection>" : "C" + std::to_string(k));
        WriteBytes(platform / ("vimbrel00" + std::to_string(k) + ".bak"),
                   "backup " + std::to_string(k));
    }
    Active("vimbrel000.ini");
    Collections& c = OpenCollections();
    const std::string second = ReadBytes(File(2));
    const std::string third = ReadBytes(File(3));

    Delete("vimbrel001.ini", MessageAnswer::No);
    EXPECT_EQ(platform.messageBoxes.shown.back().text, "Delete the collection \"C1\" ?");
    EXPECT_EQ(platform.messageBoxes.shown.back().icon, platform::MessageIcon::Question);
    EXPECT_TRUE(std::filesystem::exists(File(1)));

    Delete("vimbrel001.ini");
    EXPECT_EQ(ReadBytes(File(1)), second);
    EXPECT_EQ(ReadBytes(File(2)), third);
    EXPECT_FALSE(std::filesystem::exists(File(3)));
    EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel001.bak"));
    EXPECT_EQ(ReadBytes(platform / "vimbrel002.bak"), "backup 2");
    EXPECT_EQ(ReadBytes(platform / "vimbrel003.bak"), "backup 3");
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    // Listed afresh, with the default collection selected and shown.
    EXPECT_EQ(c.List1->count(), 3);
    EXPECT_EQ(SelectedFile(), "vimbrel000.ini");
    EXPECT_EQ(dialog->CollectionName->text(), "<default collection>");
}

TEST_F(CollectionsDialog, DeletingTheActiveCollectionMakesTheDefaultActive) {
    for (int k = 0; k <= 3; ++k) {
        Saved(k, "C" + std::to_string(k));
    }
    Active("vimbrel002.ini");
    Collections& c = OpenCollections();
    Delete("vimbrel002.ini");
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    EXPECT_EQ(state.files.CollectionFile, "vimbrel000.ini");
    EXPECT_NE(ReadBytes(File(2)).find("Description=C3"), std::string::npos);
    c.Command8->click();
    EXPECT_EQ(state.model.settings.Description, "C0");
}

TEST_F(CollectionsDialog, TheActiveCollectionFollowsItsFileDownANumber) {
    for (int k = 0; k <= 3; ++k) {
        Saved(k, "C" + std::to_string(k));
    }
    Active("vimbrel003.ini");
    Collections& c = OpenCollections();
    Delete("vimbrel001.ini");
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel002.ini"}));
    EXPECT_EQ(state.files.CollectionFile, "vimbrel002.ini");
    EXPECT_NE(ReadBytes(File(2)).find("Description=C3"), std::string::npos);
    c.Command8->click();
    EXPECT_EQ(state.model.settings.Description, "C3");
}

TEST_F(CollectionsDialog, TheDefaultCollectionIsNeverDeleted) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays");
    Active("vimbrel000.ini");
    Collections& c = OpenCollections();
    c.show();
    Click("vimbrel000.ini");
    QTest::keyClick(c.List1, Qt::Key_Delete);
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text, "The default collection may not be deleted.");
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_TRUE(std::filesystem::exists(File(0)));
    EXPECT_TRUE(std::filesystem::exists(File(1)));
}

TEST_F(CollectionsDialog, NewTakesTheNextNumberAndAsksForFoldersAtOnce) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays", {"/m/a"});
    Saved(2, "Work");
    // Never saved, so not listed: its number is given again.
    WriteBytes(File(3), CrLf({"[Options]", "Description=New Collection (3)", "Set=old"}));
    Active("vimbrel001.ini");
    Collections& c = OpenCollections();
    c.show();
    QTest::keyClick(c.List1, Qt::Key_Insert);

    EXPECT_EQ(ReadBytes(File(3)), CrLf({"[Options]", "Description=New Collection (3)"}));
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel003.ini"}));
    EXPECT_EQ(state.files.CollectionFile, "vimbrel003.ini");
    EXPECT_EQ(state.model.settings.Description, "New Collection (3)");
    EXPECT_EQ(state.model.settings.Folders, 0);
    EXPECT_EQ(dialog->List_Folders->item(0)->text(), "<TO BEGIN: right-click to add folder(s)>");
    ASSERT_EQ(folderPicker.prompts.size(), 1u);
    EXPECT_EQ(folderPicker.prompts[0],
              "Select a folder that contains sub-folders to use with Vimbrel :");
    EXPECT_EQ(c.result(), QDialog::Accepted);
    EXPECT_FALSE(c.isVisible());
}

TEST_F(CollectionsDialog, NewNeverWritesOverAnythingButANeverSavedCollection) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays");
    // A folder where the next file would go, and a collection named freely
    // that sorts last: neither is written over.
    std::filesystem::create_directory(File(2));
    WriteBytes(platform / "zzz.ini", CrLf({"[Options]", "Description=Z", "RandomFolder=0"}));
    Active("vimbrel001.ini");
    const std::string holidays = ReadBytes(File(1));
    Collections& c = OpenCollections();
    c.New_Collection->trigger();
    EXPECT_EQ(ReadBytes(File(3)), CrLf({"[Options]", "Description=New Collection (3)"}));
    EXPECT_EQ(ReadBytes(File(1)), holidays);
    EXPECT_TRUE(std::filesystem::is_directory(File(2)));
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel003.ini"}));
}

TEST_F(CollectionsDialog, ThousandCollectionsAreTheMost) {
    for (int k = 0; k < kMostCollections; ++k) {
        Saved(k, "C" + std::to_string(k));
    }
    Active("vimbrel000.ini");
    const std::string master = Master();
    Collections& c = OpenCollections();
    EXPECT_EQ(c.List1->count(), 1000);
    c.New_Collection->trigger();
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text,
              "This version of Vimbrel only supports 1000 Collections. You will have to delete "
              "one or more curent Collections in order to create any new ones.");
    EXPECT_EQ(Master(), master);
    EXPECT_TRUE(folderPicker.prompts.empty());
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(platform.settingsDirectory()),
                            std::filesystem::directory_iterator()),
              1001);

    // Once one is deleted there is room again, at the end.
    Delete("vimbrel500.ini");
    EXPECT_FALSE(std::filesystem::exists(File(999)));
    c.New_Collection->trigger();
    EXPECT_EQ(ReadBytes(File(999)), CrLf({"[Options]", "Description=New Collection (999)"}));
}

TEST_F(CollectionsDialog, GapsAndAHighNumberLeftByHand) {
    Saved(0, "<default collection>");
    Saved(1, "One");
    Saved(3, "Three");
    Saved(999, "Last");
    Active("vimbrel003.ini");
    Collections& c = OpenCollections();
    // The renumbering stops at the first missing number.
    Delete("vimbrel001.ini");
    EXPECT_FALSE(std::filesystem::exists(File(1)));
    EXPECT_TRUE(std::filesystem::exists(File(3)));
    EXPECT_EQ(state.files.CollectionFile, "vimbrel003.ini");
    // Above 999 there is no number: the lowest free one is taken.
    c.New_Collection->trigger();
    EXPECT_EQ(ReadBytes(File(1)), CrLf({"[Options]", "Description=New Collection (1)"}));
    EXPECT_TRUE(platform.messageBoxes.shown.size() == 1u); // the question only
}

TEST_F(CollectionsDialog, TwoCollectionsOfOneNameOpenOnTheActiveOne) {
    Saved(0, "<default collection>");
    Saved(1, "Same", {"/first"});
    Saved(2, "Same", {"/second"});
    Active("vimbrel002.ini");
    Collections& c = OpenCollections();
    EXPECT_EQ(SelectedFile(), "vimbrel002.ini");
    EXPECT_EQ(dialog->List_Folders->item(0)->text(), "/second");
    c.Command7->click();
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel002.ini"}));
}

TEST_F(CollectionsDialog, AMasterFileNamingAVanishedCollection) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays");
    Active("vimbrel005.ini");
    Open();
    // Deleted by hand while the configuration dialog is open.
    std::filesystem::remove(File(5));
    collections = std::make_unique<Collections>(state, platform.services, *dialog);
    collections->Form_Load();
    // Not listed: the collection of the name shown is selected instead.
    EXPECT_EQ(SelectedFile(), "vimbrel000.ini");
    collections->Command8->click();
    EXPECT_EQ(state.model.settings.Folders, 0);
    EXPECT_EQ(state.model.settings.Description, "<default collection>");
    EXPECT_FALSE(std::filesystem::exists(File(5)));
    EXPECT_TRUE(std::filesystem::exists(File(1)));
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel005.ini"}));
}

TEST_F(CollectionsDialog, TheListsMenuByMouseAndByEnter) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays");
    Active("vimbrel001.ini");
    Collections& c = OpenCollections();
    c.show();
    QApplication::setActiveWindow(&c);
    const QList<QAction*> items = c.Collection_Menu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), "New...");
    EXPECT_EQ(items[1]->text(), "Delete...");

    QTest::keyClick(c.List1, Qt::Key_Return);
    EXPECT_TRUE(c.Collection_Menu->isVisible());
    EXPECT_TRUE(c.isVisible()); // Enter pressed no button
    c.Collection_Menu->hide();

    QWidget* viewport = c.List1->viewport();
    QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_TRUE(c.Collection_Menu->isVisible());
    c.Collection_Menu->hide();

    // Keys with Shift, Ctrl or Alt held do nothing.
    QTest::keyClick(c.List1, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(c.List1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_TRUE(platform.messageBoxes.shown.empty());
    EXPECT_FALSE(std::filesystem::exists(File(2)));
    EXPECT_TRUE(c.isVisible());
}

TEST_F(CollectionsDialog, TheFolderListsDoubleClickSavesAndOpensTheCollections) {
    Saved(0, "<default collection>");
    Saved(1, "Holidays", {"/m/a"});
    Saved(2, "Work", {"/w/x"});
    Active("vimbrel001.ini");
    Configuration& d = OpenShown();
    d.CollectionName->setText("Trips");
    std::vector<std::string> listed;
    WhenCollectionsOpen([&](Collections& shown) {
        for (int i = 0; i < shown.List1->count(); ++i) {
            listed.push_back(shown.List1->item(i)->text().toStdString());
        }
        shown.List1->setCurrentRow(
            static_cast<int>(std::find(listed.begin(), listed.end(), "Work") - listed.begin()));
        shown.Command7->click();
    });
    QTest::mouseDClick(d.List_Folders->viewport(), Qt::LeftButton, {},
                       d.List_Folders->visualItemRect(d.List_Folders->item(0)).center());
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"<default collection>", "Trips", "Work"}));
    EXPECT_NE(ReadBytes(File(1)).find("Description=Trips"), std::string::npos);
    EXPECT_EQ(Master(), CrLf({"[Options]", "Settings=vimbrel002.ini"}));
    EXPECT_EQ(d.CollectionName->text(), "Work");
    EXPECT_TRUE(d.isVisible());
}

} // namespace
} // namespace vimbrel
