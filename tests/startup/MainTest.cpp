// Start-up in every mode: the command line, the default files, the loaded
// collection, the folder order and the window that comes next.

#include "startup/Main.h"

#include "PlatformDoubles.h"
#include "platform/WindowTitleLock.h"
#include "startup/CommandLine.h"
#include "startup/FolderOrder.h"
#include "state/ProgramState.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::TestPlatform;
using test::WriteBytes;

const std::string kThreeFolders = CrLf({"[Folder1]", "Set=/media/set1", "[Folder2]",
                                        "Set=/media/set2", "[Folder3]", "Set=/media/set3"});

// Only the first two characters of the switch count, upper-cased; the
// window handle after them is read as a number the lenient way. A master
// file whose Settings is missing or names anything but a file of the
// settings directory is written anew: the first starts meet one each.
TEST(Main, FreshStartInAnyModeMakesExactlyTheTwoDefaultFiles) {
    using H = Handover;
    // clang-format off
    const char* const masters[] = {"Settings=../outside.ini", "Settings=/etc/passwd",
        "Settings=sub/dir.ini", "Settings=..", "Settings=", "Other=1"};
    // Command line, the window that comes next, run mode and window handle.
    const std::tuple<const char*, Handover, const char*, int32_t> cases[] = {
        {"", H::Configuration, "/C", 0}, {"/c", H::Configuration, "/C", 0},
        {"/Configure", H::Configuration, "/C", 0}, {"/c:123", H::Configuration, "/C", 0},
        {"/s", H::Configuration, "/S", 0}, {"/p 1234", H::Preview, "/P", 1234},
        {"/p:1234", H::Preview, "/P", 0}, {"/P 12 34", H::Preview, "/P", 1234},
        {"/p 41943045", H::Preview, "/P", 41943045}, {"/p 0x10", H::Preview, "/P", 0},
        {"/a &H10", H::PasswordChange, "/A", 16}, {"/a 77.5", H::PasswordChange, "/A", 78},
        {"/a 99999999999", H::PasswordChange, "/A", 0}, {"-s", H::None, "-S", 0},
        {"/x", H::None, "/X", 0}, {" /s", H::None, " /", 0}, {"/", H::None, "/", 0}};
    // clang-format on
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& [commandLine, handover, mode, window] = cases[i];
        const std::string master = i < std::size(masters) ? masters[i] : "";
        SCOPED_TRACE(commandLine + (" " + master));
        TestPlatform platform;
        if (!master.empty()) {
            WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", master}));
        }
        ProgramState state;
        const Handover next = Main(state, platform.services, commandLine);
        EXPECT_EQ(std::tuple(next, state.run.RunMode, state.run.ParentWindow),
                  std::tuple(handover, mode, window));
        const std::filesystem::path& home = platform.settingsDirectory();
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home), {}), 2);
        EXPECT_EQ(ReadBytes(home / "vimbrel.ini") + ReadBytes(home / "vimbrel000.ini"),
                  CrLf({"[Options]", "Settings=vimbrel000.ini", "", "[Options]",
                        "Description=<default collection>", ""}));
        EXPECT_EQ(state.files.WindowsDirectory + "|" + state.files.CollectionFile,
                  home.string() + "|vimbrel000.ini");
        EXPECT_EQ(std::filesystem::current_path(), std::filesystem::canonical(home));
    }
}

// The collection the master file names: its folder table and order, the
// patterns, the screen and the display's modes; the default collection is
// not made then. A Folders count that overflows stops the load there, and
// one below zero is none: the show says so, with the cursor made visible
// for the message, and opens the configuration. With folders it starts, at
// a random folder when asked, unless a show is running.
TEST(Main, LoadsTheCollectionTheMasterFileNamesAndStartsTheShowFromIt) {
    TestPlatform platform({0.5f});
    WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel007.ini"}));
    WriteBytes(platform / "vimbrel007.ini",
               CrLf({"[Options]", "CurrentFolder=3", "Folders=3"}) + kThreeFolders);
    ProgramState state, random, second;
    Main(state, platform.services, "/C");
    EXPECT_EQ(
        std::tuple(state.files.CollectionFile, state.model.FolderTable.size(),
                   state.model.FolderTable.at(1).Folder + state.model.FolderTable.at(3).Folder,
                   state.folderOrder.FolderNumberArray, state.folderOrder.FolderIndex,
                   state.screen.ScreenWidth, state.display.ModeCount,
                   std::filesystem::exists(platform / "vimbrel000.ini")),
        std::tuple("vimbrel007.ini", 4u, "/media/set1/media/set3", std::vector<int16_t>{2, 3, 1, 0},
                   1, 800 * 15, 0, false));
    EXPECT_EQ(state.catalogue.SupportedPatterns, DefaultSupportedPatterns());

    for (const char* count : {"Folders=70000", "Folders=-3"}) {
        WriteBytes(platform / "vimbrel007.ini", CrLf({"[Options]", count}) + kThreeFolders);
        ProgramState empty;
        EXPECT_EQ(Main(empty, platform.services, "/S"), Handover::Configuration);
        EXPECT_EQ(std::tuple(empty.model.settings.Folders, empty.model.FolderTable.size()),
                  std::tuple(0, 1u));
    }
    const auto& shown = platform.messageBoxes.shown;
    EXPECT_EQ(std::tuple(shown.size(), shown.at(0).text, shown.at(0).icon),
              std::tuple(2u, "No Vimbrel folders have been defined.",
                         platform::MessageIcon::Information));
    EXPECT_GE(platform.cursor.value(), 6); // made visible for the messages

    // Folder floor(3 * 0.5 + 1) = 2, the first in the order 2, 3, 1.
    WriteBytes(platform / "vimbrel007.ini",
               CrLf({"[Options]", "RandomFolder=1", "Folders=3"}) + kThreeFolders);
    EXPECT_EQ(Main(random, platform.services, "/s"), Handover::Slideshow);
    EXPECT_EQ(std::tuple(random.model.settings.CurrentFolder, random.folderOrder.FolderIndex,
                         shown.size()),
              std::tuple(2, 0, 2u));
    platform::WindowTitleLock running;
    ASSERT_TRUE(running.Acquire(kSlideshowTitle));
    EXPECT_EQ(Main(second, platform.services, "/S"), Handover::None);
}

// The order in which the next-folder key visits the folders, and where in
// it the current folder is (the last entry here): from three folders on a
// shuffle, whose draws go to whole numbers in double precision.
TEST(FolderOrder, IsAShuffleThatFindsTheCurrentFolder) {
    using Order = std::vector<int16_t>;
    // Folders, the draw, the current folder, and the order with the index.
    // clang-format off
    const std::tuple<int16_t, float, int16_t, Order> cases[] = {
        {0, 0.3f, 1, {0, 0}}, {2, 0.3f, 2, {1, 2, 0, 1}}, {3, 0.0f, 99, {2, 3, 1, 0, 0}},
        {3, 0.99999994f, 99, {2, 3, 1, 0, 0}}, {4, 0.49f, 4, {2, 3, 4, 1, 0, 2}},
        {4, 0.5f, 4, {3, 1, 4, 2, 0, 2}}, {4, 0.99999994f, 1, {3, 1, 4, 2, 0, 1}}};
    // clang-format on
    for (const auto& [folders, draw, current, expected] : cases) {
        test::SequenceRandomSource random({draw});
        FolderOrder order;
        BuildFolderOrder(order, folders, current, random);
        order.FolderNumberArray.push_back(order.FolderIndex); // after the unused last slot
        EXPECT_EQ(order.FolderNumberArray, expected) << folders << " " << draw;
    }
}

// A screen locker starts its saver with its own switches; its window in
// XSCREENSAVER_WINDOW wins over them.
TEST(CommandLine, LockerSwitchesNameTheWindowToDrawInto) {
    const char* argv[] = {"vimbrel", "/p", "1234"};
    EXPECT_EQ(JoinArguments(3, argv) + "|" + JoinArguments(1, argv), "/p 1234|");
    // Arguments and XSCREENSAVER_WINDOW; the window, "none" for no locker's
    // switches, "error" for a window named in a way that names none.
    const std::pair<std::vector<std::string_view>, const char*> rows[] = {
        // clang-format off
        {{"-root"}, nullptr}, {{"-root"}, ""}, {{"-root"}, "0x2a00007"}, {{"-root"}, "44040199"},
        {{"-window-id", "0x400001"}, nullptr}, {{"--window-id", "77"}, nullptr},
        {{"--window-id=0X1F"}, nullptr}, {{"--window-id", "77"}, "0x10"},
        {{"--window-id", "seven"}, nullptr}, {{"--window-id", "0"}, nullptr}, {{"-root"}, "0x"},
        {{"-root"}, "99999999999"}, {{"-window-id"}, nullptr}, {{"-root", "extra"}, nullptr},
        {{"/s"}, "0x10"}, {{}, "0x10"}};
    // clang-format on
    std::string windows;
    for (const auto& [arguments, environment] : rows) {
        const std::optional<LockerTarget> target = LockerTargetOf(arguments, environment);
        windows += !target                  ? "none "
                   : !target->error.empty() ? "error "
                                            : std::to_string(target->window) + " ";
    }
    EXPECT_EQ(windows, "0 0 44040199 44040199 4194305 77 31 16 error error error error none none "
                       "none none ");
}

} // namespace
} // namespace vimbrel
