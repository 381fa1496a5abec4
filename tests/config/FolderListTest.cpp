// Adding and removing folders, with real folders and the folder dialog
// answered by the test; the folder list's keys and mouse.

#include "ConfigurationFixture.h"
#include "TempDirectory.h"
#include "platform/SubFolders.h"

namespace vimbrel::test {
namespace {

using platform::MessageAnswer;

struct Step {
    const char* name;
    QAction* Configuration::*action;
    std::vector<std::string> folders; // what the folder dialog gives each time
    std::vector<MessageAnswer> answers;
    std::string asked; // "$" stands for the base folder
    std::string shown; // and "#" for a sub-folder's number in listing order
};

void PrintTo(const Step& step, std::ostream* out) {
    *out << step.name;
}

class FolderList : public ConfigurationTest, public ::testing::WithParamInterface<Step> {
protected:
    std::string At(std::string text) const {
        const std::vector<std::string> listed = platform::ListSubFolders(base.path());
        for (std::size_t i = 0; i < listed.size(); ++i) {
            const std::string numbered = "/" + listed[i] + "=#";
            if (const auto at = text.find(numbered); at != std::string::npos) {
                text.replace(at, numbered.size(), "/" + listed[i] + "=" + std::to_string(3 + i));
            }
        }
        for (auto at = text.find('$'); at != std::string::npos; at = text.find('$')) {
            text.replace(at, 1, base.path().string());
        }
        return text;
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
        pickers.folders.push_back(At(folder));
    }
    platform.messageBoxes.answers = {step.answers.begin(), step.answers.end()};
    for (std::size_t i = 0; i < std::max(step.folders.size(), step.answers.size()); ++i) {
        (d.*step.action)->trigger();
    }
    EXPECT_EQ(Asked(), At(step.asked));
    EXPECT_EQ(Shown(), At(step.shown) + " | Holidays on | Z/N/P/R/S/F s0 b0 off | m4/4 r1");
}

const std::string kNew = "[Select a new folder to use with Vimbrel :] ";
const std::string kSub = "[Select a folder that contains sub-folders to use with Vimbrel :] ";
const std::string kUse = "Use the sub-folders found in\r\n$ with Vimbrel ? (info, yes/no) ";
const std::string kStop = "Stop using the folder /z/b with Vimbrel? (question, yes/no) ";
const std::string kAsIs = "/z/a=2 */z/b=1 | 1 0:40 001 2/0/0 #000000 on";
constexpr auto kSingle = &Configuration::Vimbrel_Create_Single;
constexpr auto kMulti = &Configuration::Vimbrel_Create_Multi;
constexpr auto kRemove = &Configuration::Vimbrel_Remove;
constexpr auto kYes = MessageAnswer::Yes;

INSTANTIATE_TEST_SUITE_P(
    Steps, FolderList,
    ::testing::Values(
        Step{"NewFolder",
             kSingle,
             {"/z/new"},
             {},
             kNew,
             "/z/a=2 /z/b=1 */z/new=3 | 3 0:3 001 2/0/0 #000000 on"},
        Step{"TheSameFolderAgain",
             kSingle,
             {"/z/a"},
             {},
             kNew,
             "/z/a=2 */z/a=3 /z/b=1 | 3 0:3 001 2/0/0 #000000 on"},
        Step{"NewFolderCancelled", kSingle, {""}, {}, kNew, kAsIs},
        Step{"NewFoldersCancelled", kMulti, {""}, {}, kSub, kAsIs},
        Step{"NewFoldersAnsweredNo", kMulti, {"$"}, {MessageAnswer::No}, kSub + kUse, kAsIs},
        Step{"NewFolders", kMulti, {"$//"}, {kYes}, kSub + kUse, "$/a=# $/b=# $/c d=# " + kAsIs},
        Step{"NewFoldersWithoutSubFolders",
             kMulti,
             {"$/a"},
             {},
             kSub + "No sub-directories found in: $/a (info) ",
             "*$/a=3 /z/a=2 /z/b=1 | 3 0:3 001 2/0/0 #000000 on"},
        Step{"RemoveAnsweredNo", kRemove, {}, {MessageAnswer::No}, kStop, kAsIs},
        // The last entry moves into the number freed.
        Step{"Remove", kRemove, {}, {kYes}, kStop, "*/z/a=1 | 1 0:30 011 2/0/0 #630000 on"},
        Step{"RemoveAllAndOnceMore",
             kRemove,
             {},
             {kYes, kYes, kYes},
             kStop + "Stop using the folder /z/a with Vimbrel? (question, yes/no) Stop using the "
                     "folder  with Vimbrel? (question, yes/no) ",
             "*<begin>=0 | 0 0:0 000 0/0/0 #000000 off"}),
    [](const auto& step) { return std::string(step.param.name); });

// Keys and clicks on the folder list, one after another: what each asked,
// opened, saved or closed.
TEST_F(ConfigurationTest, TheFolderListsKeysAndMouse) {
    WriteCollection({"[Options]", "Folders=2", "[Folder1]", "Set=/z/a", "[Folder2]", "Set=/z/b"});
    Configuration& d = Open();
    QListWidget* list = d.List_Folders;
    const QPoint second = list->visualItemRect(list->item(1)).center();
    std::string happened, saved = CollectionBytes();
    QTimer collections;
    QObject::connect(&collections, &QTimer::timeout, [&] {
        if (auto* shown = dynamic_cast<Collections*>(QApplication::activeModalWidget())) {
            happened += CollectionBytes() != saved ? "saved, collections" : "collections";
            saved = CollectionBytes();
            shown->reject();
        }
    });
    collections.start(5);
    const auto key = [&](Qt::Key code, Qt::KeyboardModifiers modifiers = {}) {
        return [=] { QTest::keyClick(list, code, modifiers); };
    };
    const auto mouse = [&](Qt::MouseButton button, bool twice = false) {
        return [=] {
            twice ? QTest::mouseDClick(list->viewport(), button, {}, second)
                  : QTest::mouseClick(list->viewport(), button, {}, second);
        };
    };
    const std::pair<std::function<void()>, std::string> inputs[] = {
        {key(Qt::Key_Insert, Qt::ShiftModifier), ""},
        {key(Qt::Key_Delete, Qt::AltModifier), ""},
        {key(Qt::Key_Insert), kNew},
        {key(Qt::Key_Insert, Qt::ControlModifier), kSub},
        {key(Qt::Key_Delete), "Stop using the folder /z/a with Vimbrel? (question, yes/no) "},
        {key(Qt::Key_Return), "menu"},
        {key(Qt::Key_Return, Qt::ControlModifier), "saved, collections"},
        {mouse(Qt::LeftButton), ""}, // selects the second folder
        {mouse(Qt::RightButton), "menu"},
        {mouse(Qt::LeftButton, true), "saved, collections"},
        {key(Qt::Key_Escape), "closed"},
    };
    for (const auto& [input, expected] : inputs) {
        pickers.prompts.clear();
        platform.messageBoxes.shown.clear();
        happened.clear();
        input();
        happened += Asked() + (d.Vimbrel_Folder_Menu->isVisible() ? "menu" : "") +
                    (d.isVisible() ? "" : "closed");
        d.Vimbrel_Folder_Menu->hide();
        EXPECT_EQ(happened, expected);
        EXPECT_EQ(CollectionBytes(), saved) << expected;
    }
    EXPECT_EQ(d.result(), QDialog::Rejected);
}

} // namespace
} // namespace vimbrel::test
