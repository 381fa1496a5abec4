// The collections dialog over real collection files in the test's settings
// directory, in front of a real configuration dialog.

#include "ConfigurationFixture.h"
#include "config/CollectionFiles.h"

#include <set>

namespace vimbrel::test {
namespace {

using platform::MessageAnswer;

struct CollectionsDialog : ConfigurationTest {
    // Collection files as a save leaves them (RandomFolder set), each
    // "description" or "description|first folder"; the master file names
    // collection `active`. Then start-up and the configuration dialog.
    void Open(const std::map<int, std::string>& saved, int active) {
        for (const auto& [number, text] : saved) {
            const auto bar = std::min(text.find('|'), text.size());
            WriteBytes(platform / CollectionFileName(number),
                       CrLf({"[Options]", "Description=" + text.substr(0, bar), "RandomFolder=1",
                             bar < text.size() ? "Folders=1" : "", "[Folder1]",
                             "Set=" + text.substr(std::min(bar + 1, text.size()))}));
        }
        WriteBytes(platform / "vimbrel.ini",
                   CrLf({"[Options]", "Settings=" + CollectionFileName(active)}));
        collections.reset();
        ConfigurationTest::Open();
    }
    Collections& OpenCollections() {
        collections = std::make_unique<Collections>(state, platform.services, *dialog);
        collections->Form_Load();
        collections->show();
        QApplication::setActiveWindow(collections.get());
        return *collections;
    }
    // The settings directory: each file (vimbrel007.ini as 7, vimbrel.ini
    // as "master") with the description it holds, the file it names, or its
    // bytes; then the collection file in use, and the name and first folder
    // the configuration dialog shows.
    std::string Disk() const {
        std::set<std::string> names;
        for (const auto& entry :
             std::filesystem::directory_iterator(platform.settingsDirectory())) {
            names.insert(entry.path().filename().string());
        }
        std::string disk;
        for (const std::string& name : names) {
            std::string text =
                is_directory(platform / name) ? "folder" : ReadBytes(platform / name);
            for (const std::string key : {"Description=", "Settings="}) {
                if (const auto at = text.find(key); at != std::string::npos) {
                    text = text.substr(at + key.size(), text.find('\r', at) - at - key.size());
                }
            }
            disk += Short(name) + ":" + Short(text) + " ";
        }
        return disk + "| " + Short(state.files.CollectionFile) + " " +
               dialog->CollectionName->text().toStdString() + " " +
               Short(dialog->List_Folders->item(0)->text().toStdString());
    }
    static std::string Short(const std::string& name) {
        const auto number = CollectionNumber(name.substr(0, 10) + ".ini");
        return name == "vimbrel.ini"    ? "master"
               : name == kToBegin       ? "-"
               : !number                ? name
               : name.ends_with(".bak") ? std::to_string(*number) + ".bak"
                                        : std::to_string(*number);
    }
    void Click(const std::string& file) {
        const auto found =
            collections->List2->findItems(QString::fromStdString(file), Qt::MatchExactly);
        ASSERT_EQ(found.size(), 1) << file;
        collections->List1->setCurrentRow(collections->List2->row(found[0]));
    }
    void Delete(const std::string& file, MessageAnswer answer = MessageAnswer::Yes) {
        Click(file);
        platform.messageBoxes.answers = {answer};
        collections->Delete_Collection->trigger();
    }
    std::unique_ptr<Collections> collections;
};

TEST_F(CollectionsDialog, ListsTheCollectionsInFileNameOrder) {
    WriteBytes(platform / "vimbrel002.ini", CrLf({"[Options]", "Description=H", "RandomFolder=9"}));
    WriteBytes(platform / "vimbrel003.ini", CrLf({"[Options]", "Description=Never saved"}));
    WriteBytes(platform / "vimbrel004.ini", CrLf({"[Options]", "RandomFolder=0"}));
    WriteBytes(platform / "foreign.ini", CrLf({"[Options]", "Colour=red"}));
    WriteBytes(platform / "holiday.ini",
               CrLf({"[Options]", "Description=Named", "RandomFolder=1"}));
    Open({{6, "C6"}, {0, "<default collection>"}, {5, "C5"}, {1, "Holidays"}}, 1);
    Collections& c = OpenCollections();
    QString listed;
    for (int i = 0; i < c.List1->count(); ++i) {
        listed += (i == c.List1->currentRow() ? "*" : "") + c.List2->item(i)->text() + "=" +
                  c.List1->item(i)->text() + " ";
    }
    EXPECT_EQ(listed.toStdString(), "holiday.ini=Named vimbrel000.ini=<default collection> "
                                    "*vimbrel001.ini=Holidays vimbrel004.ini=<unknown> "
                                    "vimbrel005.ini=C5 vimbrel006.ini=C6 ");
    EXPECT_TRUE(c.Delete_Collection->isEnabled());
    Click("vimbrel000.ini");
    EXPECT_FALSE(c.Delete_Collection->isEnabled());
}

TEST_F(CollectionsDialog, AClickShowsTheCollectionAndOnlyOkMakesItActive) {
    for (const int way : {0, 1, 2, 3}) { // Cancel, Escape, the close box, OK
        SCOPED_TRACE(way);
        Open({{0, "<default collection>"}, {1, "Holidays|/m/a"}, {2, "Work|/w/x"}}, 1);
        Collections& c = OpenCollections();
        Click("vimbrel002.ini");
        EXPECT_EQ(Disk(), "master:1 0:<default collection> 1:Holidays 2:Work | 1 Work /w/x");
        way == 0   ? c.Command8->click()
        : way == 1 ? QTest::keyClick(c.List1, Qt::Key_Escape)
        : way == 2 ? (void)c.close()
                   : c.Command7->click();
        EXPECT_FALSE(c.isVisible());
        EXPECT_EQ(Disk(),
                  way == 3 ? "master:2 0:<default collection> 1:Holidays 2:Work | 2 Work /w/x"
                           : "master:1 0:<default collection> 1:Holidays 2:Work | 1 Holidays /m/a");
    }
}

// Deleting moves the following collection files down a number, up to the
// first number without one; backups keep their names; the active
// collection follows its file, or is the default one once deleted. Above
// 999 there is no number: "New..." then takes the lowest free one.
TEST_F(CollectionsDialog, Deleting) {
    for (const char* backup : {"vimbrel001.bak", "vimbrel002.bak", "vimbrel003.bak"}) {
        WriteBytes(platform / backup, "old");
    }
    Open({{0, "C0"}, {1, "C1"}, {2, "C2"}, {3, "C3"}, {4, "C4"}, {6, "C6"}, {999, "C999"}}, 3);
    Collections& c = OpenCollections();
    Click("vimbrel001.ini");
    const std::string before = Disk();
    Delete("vimbrel001.ini", MessageAnswer::No);
    EXPECT_EQ(Asked(), "Delete the collection \"C1\" ? (question, yes/no) ");
    EXPECT_EQ(Disk(), before);
    Delete("vimbrel001.ini");
    EXPECT_EQ(Disk(), "master:2 0:C0 1:C2 2.bak:old 2:C3 3.bak:old 3:C4 6:C6 999:C999 | 2 C0 -");
    Delete("vimbrel002.ini");
    EXPECT_EQ(Disk(), "master:0 0:C0 1:C2 2:C4 3.bak:old 6:C6 999:C999 | 0 C0 -");
    // The default collection stays.
    Click("vimbrel000.ini");
    QTest::keyClick(c.List1, Qt::Key_Delete);
    EXPECT_EQ(platform.messageBoxes.shown.back().text,
              "The default collection may not be deleted.");
    c.New_Collection->trigger();
    EXPECT_EQ(Disk(), "master:3 0:C0 1:C2 2:C4 3.bak:old 3:New Collection (3) 6:C6 999:C999 | 3 "
                      "New Collection (3) -");
}

// "New..." takes the number after the highest listed one, passing over what
// is no collection but for one never saved, and asks for folders at once.
TEST_F(CollectionsDialog, New) {
    std::filesystem::create_directory(platform / "vimbrel002.ini");
    WriteBytes(platform / "vimbrel003.ini", CrLf({"[Options]", "Description=Old", "Set=old"}));
    WriteBytes(platform / "zzz.ini", CrLf({"[Options]", "Description=Z", "RandomFolder=0"}));
    Open({{0, "<default collection>"}, {1, "Holidays|/m/a"}}, 1);
    Collections& c = OpenCollections();
    QTest::keyClick(c.List1, Qt::Key_Insert);
    EXPECT_EQ(Disk(), "master:3 0:<default collection> 1:Holidays 2:folder 3:New Collection (3) "
                      "zzz.ini:Z | 3 New Collection (3) -");
    EXPECT_EQ(ReadBytes(platform / "vimbrel003.ini"),
              CrLf({"[Options]", "Description=New Collection (3)"}));
    EXPECT_EQ(Asked(), "[Select a folder that contains sub-folders to use with Vimbrel :] ");
    EXPECT_EQ(c.result(), QDialog::Accepted);
    EXPECT_FALSE(c.isVisible());
}

TEST_F(CollectionsDialog, AThousandCollectionsAreTheMost) {
    std::map<int, std::string> saved;
    for (int k = 0; k < kMostCollections; ++k) {
        saved[k] = "C" + std::to_string(k);
    }
    Open(saved, 0);
    Collections& c = OpenCollections();
    const std::string before = Disk();
    c.New_Collection->trigger();
    EXPECT_EQ(Asked(), std::string(kTooManyCollections) + " (info) ");
    EXPECT_EQ(Disk(), before);
    // Once one is deleted there is room again, at the end.
    Delete("vimbrel500.ini");
    c.New_Collection->trigger();
    EXPECT_EQ(ReadBytes(platform / "vimbrel999.ini"),
              CrLf({"[Options]", "Description=New Collection (999)"}));
}

// The active collection is selected by its file, or else by the name shown.
TEST_F(CollectionsDialog, TheActiveOneIsSelected) {
    Open({{0, "<default collection>"}, {1, "Same|/first"}, {2, "Same|/second"}}, 2);
    OpenCollections();
    EXPECT_EQ(Disk(), "master:2 0:<default collection> 1:Same 2:Same | 2 Same /second");
    // Deleted by hand while the configuration dialog is open.
    Open({{1, "Holidays"}}, 5);
    std::filesystem::remove(platform / "vimbrel005.ini");
    OpenCollections();
    EXPECT_EQ(collections->List2->currentItem()->text(), "vimbrel000.ini");
    collections->Command8->click();
    EXPECT_EQ(Disk(),
              "master:5 0:<default collection> 1:Holidays 2:Same | 5 <default collection> -");
}

TEST_F(CollectionsDialog, TheListsMenuByMouseAndByEnter) {
    Open({{0, "<default collection>"}, {1, "Holidays"}}, 1);
    Collections& c = OpenCollections();
    QTest::keyClick(c.List1, Qt::Key_Return);
    EXPECT_TRUE(c.Collection_Menu->isVisible());
    c.Collection_Menu->hide();
    QTest::mouseClick(c.List1->viewport(), Qt::RightButton, {}, QPoint(10, 5));
    EXPECT_TRUE(c.Collection_Menu->isVisible());
    c.Collection_Menu->hide();
    // Keys with Shift, Ctrl or Alt held do nothing.
    QTest::keyClick(c.List1, Qt::Key_Insert, Qt::ShiftModifier);
    QTest::keyClick(c.List1, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Asked(), "");
    EXPECT_TRUE(c.isVisible()); // Enter pressed no button
}

} // namespace
} // namespace vimbrel::test
