// The collections dialog over real collection files in the test's settings
// directory, in front of a real configuration dialog.

#include "ConfigurationFixture.h"
#include "config/CollectionFiles.h"

#include <regex>
#include <set>

namespace vimbrel::test {
namespace {

using platform::MessageAnswer;

struct CollectionsDialog : ConfigurationTest {
    // Collection files as a save leaves them (RandomFolder set), each with
    // its description and one folder, "/" and the description; the master
    // file names collection `active`. Then start-up and the configuration
    // dialog.
    void Open(const std::map<int, std::string>& saved, int active) {
        for (const auto& [number, text] : saved) {
            WriteBytes(platform / CollectionFileName(number),
                       CrLf({"[Options]", "Description=" + text, "RandomFolder=1", "Folders=1",
                             "[Folder1]", "Set=/" + text}));
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
    // The settings directory: each file (vimbrel007.ini as 7, the master
    // file as "vimbrel") with the description it holds, the file it names,
    // or its bytes; then the collection file in use, and the name and first
    // folder ("-": none) the configuration dialog shows.
    std::string Disk() const {
        const std::set<std::filesystem::directory_entry> entries(
            std::filesystem::directory_iterator(platform.settingsDirectory()), {});
        std::string disk;
        for (const auto& entry : entries) {
            const std::string name = entry.path().filename().string();
            const std::string text =
                is_directory(platform / name) ? "folder" : ReadBytes(platform / name);
            std::smatch value;
            std::regex_search(text, value, std::regex("(Description|Settings)=([^\r]*)"));
            disk += Short(name) + ":" + (value.empty() ? text : Short(value[2])) + " ";
        }
        const std::string first = dialog->List_Folders->item(0)->text().toStdString();
        return disk + "| " + Short(state.files.CollectionFile) + " " +
               dialog->CollectionName->text().toStdString() + " " +
               (first == kToBegin ? "-" : first);
    }
    static std::string Short(const std::string& name) {
        return std::regex_replace(name, std::regex("vimbrel0*(\\d)|\\.ini"), "$1");
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
    WriteBytes(platform / "holiday.ini",
               CrLf({"[Options]", "Description=Named", "RandomFolder=1"}));
    // Of two collections with one name, the active one is selected.
    Open({{6, "C6"}, {0, "<default collection>"}, {5, "Holidays"}, {1, "Holidays"}}, 5);
    Collections& c = OpenCollections();
    QString listed;
    for (int i = 0; i < c.List1->count(); ++i) {
        listed += (i == c.List1->currentRow() ? "*" : "") + c.List2->item(i)->text() + "=" +
                  c.List1->item(i)->text() + " ";
    }
    EXPECT_EQ(listed.toStdString(), "holiday.ini=Named vimbrel000.ini=<default collection> "
                                    "vimbrel001.ini=Holidays vimbrel004.ini=<unknown> "
                                    "*vimbrel005.ini=Holidays vimbrel006.ini=C6 ");
    // Enter opens the list's menu and presses no button.
    QTest::keyClick(c.List1, Qt::Key_Return);
    EXPECT_TRUE(c.Collection_Menu->isVisible() && c.isVisible());
}

TEST_F(CollectionsDialog, AClickShowsTheCollectionAndOnlyOkMakesItActive) {
    for (const int way : {0, 1, 2, 3}) { // Cancel, Escape, the close box, OK
        SCOPED_TRACE(way);
        Open({{0, "<default collection>"}, {1, "Holidays"}, {2, "Work"}}, 1);
        Collections& c = OpenCollections();
        Click("vimbrel002.ini");
        const std::string files = "0:<default collection> 1:Holidays 2:Work | ";
        EXPECT_EQ(Disk(), "vimbrel:1 " + files + "1 Work /Work");
        way == 0   ? c.Command8->click()
        : way == 1 ? QTest::keyClick(c.List1, Qt::Key_Escape)
        : way == 2 ? (void)c.close()
                   : c.Command7->click();
        EXPECT_FALSE(c.isVisible());
        EXPECT_EQ(Disk(), way == 3 ? "vimbrel:2 " + files + "2 Work /Work"
                                   : "vimbrel:1 " + files + "1 Holidays /Holidays");
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
    EXPECT_EQ(Disk(), "vimbrel:2 0:C0 1:C2 2.bak:old 2:C3 3.bak:old 3:C4 6:C6 999:C999 | 2 C0 /C0");
    Delete("vimbrel002.ini");
    EXPECT_EQ(Disk(), "vimbrel:0 0:C0 1:C2 2:C4 3.bak:old 6:C6 999:C999 | 0 C0 /C0");
    // The default collection stays.
    Click("vimbrel000.ini");
    QTest::keyClick(c.List1, Qt::Key_Delete);
    EXPECT_EQ(platform.messageBoxes.shown.back().text, kDefaultNotDeleted);
    c.New_Collection->trigger();
    EXPECT_EQ(Disk(), "vimbrel:3 0:C0 1:C2 2:C4 3.bak:old 3:New Collection (3) 6:C6 999:C999 | 3 "
                      "New Collection (3) -");
}

// "New..." takes the number after the highest listed one, passing over what
// is no collection but for one never saved, and asks for folders at once.
TEST_F(CollectionsDialog, New) {
    std::filesystem::create_directory(platform / "vimbrel002.ini");
    WriteBytes(platform / "vimbrel003.ini", CrLf({"[Options]", "Description=Old", "Set=old"}));
    WriteBytes(platform / "zzz.ini", CrLf({"[Options]", "Description=Z", "RandomFolder=0"}));
    Open({{0, "<default collection>"}, {1, "Holidays"}}, 1);
    Collections& c = OpenCollections();
    QTest::keyClick(c.List1, Qt::Key_Insert);
    EXPECT_EQ(Disk(), "vimbrel:3 0:<default collection> 1:Holidays 2:folder 3:New Collection (3) "
                      "zzz:Z | 3 New Collection (3) -");
    EXPECT_EQ(ReadBytes(platform / "vimbrel003.ini"),
              CrLf({"[Options]", "Description=New Collection (3)"}));
    EXPECT_EQ(Asked(), "[Select a folder that contains sub-folders to use with Vimbrel :] ");
    EXPECT_TRUE(c.result() == QDialog::Accepted && !c.isVisible());
}

} // namespace
} // namespace vimbrel::test
