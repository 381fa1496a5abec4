// Start-up in every mode: the command line, the default files, the loaded
// collection, the folder order and the window that comes next.

#include "startup/Main.h"

#include "PlatformDoubles.h"
#include "platform/WindowTitleLock.h"
#include "startup/CommandLine.h"
#include "startup/FolderOrder.h"
#include "state/ProgramState.h"

#include <gtest/gtest.h>
#include <set>

namespace vimbrel {
namespace {

using test::CrLf;
using test::ReadBytes;
using test::TestPlatform;
using test::WriteBytes;

const std::string kDefaultMaster = CrLf({"[Options]", "Settings=vimbrel000.ini", ""});
const std::string kDefaultCollection = CrLf({"[Options]", "Description=<default collection>", ""});

const std::string kThreeFolders = CrLf({"[Folder1]", "Set=/media/set1", "[Folder2]",
                                        "Set=/media/set2", "[Folder3]", "Set=/media/set3"});

// Only the first two characters of the switch count, upper-cased; the
// window handle after them is read as a number the lenient way. A master
// file whose Settings is missing or names anything but a file of the
// settings directory is written anew.
TEST(Main, FreshStartInAnyModeMakesExactlyTheTwoDefaultFiles) {
    // Command line, the window that comes next, run mode, window handle, and
    // the master file's key before.
    using H = Handover;
    const std::tuple<const char*, Handover, const char*, int32_t, const char*> cases[] = {
        // clang-format off
        {"", H::Configuration, "/C", 0, ""}, {"/c", H::Configuration, "/C", 0, ""},
        {"/Configure", H::Configuration, "/C", 0, ""}, {"/c:123", H::Configuration, "/C", 0, ""},
        {"/s", H::Configuration, "/S", 0, ""}, {"/p 1234", H::Preview, "/P", 1234, ""},
        {"/p:1234", H::Preview, "/P", 0, ""}, {"/P 12 34", H::Preview, "/P", 1234, ""},
        {"/p 41943045", H::Preview, "/P", 41943045, ""}, {"/p 0x10", H::Preview, "/P", 0, ""},
        {"/a &H10", H::PasswordChange, "/A", 16, ""}, {"/a 77.5", H::PasswordChange, "/A", 78, ""},
        {"/a 99999999999", H::PasswordChange, "/A", 0, ""}, {"-s", H::None, "-S", 0, ""},
        {"/x", H::None, "/X", 0, ""}, {" /s", H::None, " /", 0, ""}, {"/", H::None, "/", 0, ""},
        {"", H::Configuration, "/C", 0, "Settings=../outside.ini"},
        {"", H::Configuration, "/C", 0, "Settings=/etc/passwd"},
        {"", H::Configuration, "/C", 0, "Settings=sub/dir.ini"},
        {"", H::Configuration, "/C", 0, "Settings=.."}, {"", H::Configuration, "/C", 0, "Settings="},
        {"", H::Configuration, "/C", 0, "Other=1"}};
    // clang-format on
    for (const auto& [commandLine, handover, mode, window, master] : cases) {
        SCOPED_TRACE(std::string(commandLine) + master);
        TestPlatform platform;
        if (*master != '\0') {
            WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", master}));
        }
        ProgramState state;
        EXPECT_EQ(Main(state, platform.services, commandLine), handover);
        EXPECT_EQ(state.run.RunMode, mode);
        EXPECT_EQ(state.run.ParentWindow, window);
        EXPECT_EQ(
            std::distance(std::filesystem::directory_iterator(platform.settingsDirectory()), {}),
            2);
        EXPECT_EQ(ReadBytes(platform / "vimbrel.ini"), kDefaultMaster);
        EXPECT_EQ(ReadBytes(platform / "vimbrel000.ini"), kDefaultCollection);
        EXPECT_EQ(state.files.CollectionFile, "vimbrel000.ini");
        EXPECT_EQ(state.files.WindowsDirectory, platform.settingsDirectory().string());
        EXPECT_EQ(std::filesystem::current_path(),
                  std::filesystem::canonical(platform.settingsDirectory()));
    }
}

// Without folders (a count below zero is none) the show says so and opens
// the configuration; with them it starts, at a random folder when asked,
// unless a show is running.
TEST(Main, ShowStartsWithFoldersUnlessOneIsRunning) {
    TestPlatform platform({0.5f});
    WriteBytes(platform / "vimbrel.ini", kDefaultMaster);
    WriteBytes(platform / "vimbrel000.ini", CrLf({"[Options]", "Folders=-3"}) + kThreeFolders);
    ProgramState none, random, second;
    EXPECT_EQ(Main(none, platform.services, "/S"), Handover::Configuration);
    EXPECT_EQ(none.model.settings.Folders, 0);
    ASSERT_EQ(platform.messageBoxes.shown.size(), 1u);
    EXPECT_EQ(platform.messageBoxes.shown[0].text, "No Vimbrel folders have been defined.");
    EXPECT_EQ(platform.messageBoxes.shown[0].icon, platform::MessageIcon::Information);
    EXPECT_EQ(platform.cursor.value(), 6); // made visible for the message

    WriteBytes(platform / "vimbrel000.ini",
               CrLf({"[Options]", "RandomFolder=1", "Folders=3"}) + kThreeFolders);
    EXPECT_EQ(Main(random, platform.services, "/s"), Handover::Slideshow);
    EXPECT_EQ(random.model.settings.CurrentFolder, 2); // floor(3 * 0.5 + 1)
    EXPECT_EQ(random.folderOrder.FolderIndex, 0);      // in the order 2, 3, 1
    EXPECT_EQ(platform.messageBoxes.shown.size(), 1u);
    platform::WindowTitleLock running;
    ASSERT_TRUE(running.Acquire(kSlideshowTitle));
    EXPECT_EQ(Main(second, platform.services, "/S"), Handover::None);
}

TEST(Main, LoadsTheCollectionTheMasterFileNames) {
    TestPlatform platform;
    WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel007.ini"}));
    WriteBytes(platform / "vimbrel007.ini",
               CrLf({"[Options]", "CurrentFolder=2", "Folders=3"}) + kThreeFolders);
    ProgramState state;
    Main(state, platform.services, "/C");
    EXPECT_EQ(state.files.CollectionFile, "vimbrel007.ini");
    ASSERT_EQ(state.model.FolderTable.size(), 4u);
    EXPECT_EQ(state.model.FolderTable[1].Folder + state.model.FolderTable[3].Folder,
              "/media/set1/media/set3");
    EXPECT_EQ(state.folderOrder.FolderNumberArray, (std::vector<int16_t>{2, 3, 1, 0}));
    EXPECT_EQ(state.folderOrder.FolderIndex, 0);
    EXPECT_EQ(state.catalogue.SupportedPatterns, DefaultSupportedPatterns());
    EXPECT_EQ(state.screen.ScreenWidth, 800 * 15);
    EXPECT_EQ(state.display.ModeCount, 0);
    EXPECT_FALSE(std::filesystem::exists(platform / "vimbrel000.ini"));

    // A Folders count that overflows stops the load there: no folders.
    WriteBytes(platform / "vimbrel007.ini", CrLf({"[Options]", "Folders=70000"}));
    ProgramState overflow;
    EXPECT_EQ(Main(overflow, platform.services, "/C"), Handover::Configuration);
    EXPECT_EQ(overflow.model.settings.Folders, 0);
    EXPECT_EQ(overflow.model.FolderTable.size(), 1u);
}

// The order in which the next-folder key visits the folders, and where in
// it the current folder is (the last entry here).
TEST(FolderOrder, IsAShuffleThatFindsTheCurrentFolder) {
    using Order = std::vector<int16_t>;
    const auto orderOf = [](int16_t folders, std::vector<float> draws, int16_t current) {
        test::SequenceRandomSource random(std::move(draws));
        FolderOrder order;
        BuildFolderOrder(order, folders, current, random);
        order.FolderNumberArray.push_back(order.FolderIndex); // after the unused last slot
        return order.FolderNumberArray;
    };
    EXPECT_EQ(orderOf(0, {0.3f}, 1), (Order{0, 0}));
    EXPECT_EQ(orderOf(2, {0.3f}, 2), (Order{1, 2, 0, 1}));
    for (const float draw : {0.0f, 0.5f, 0.99999994f}) {
        EXPECT_EQ(orderOf(3, {draw}, 99), (Order{2, 3, 1, 0, 0})) << draw;
    }
    // Four folders give one of two orders, whatever the draws.
    std::set<Order> seen;
    for (float a : {0.0f, 0.2f, 0.49f, 0.5f, 0.8f, 0.99999994f}) {
        for (float b : {0.0f, 0.49f, 0.5f, 0.99999994f}) {
            seen.insert(orderOf(4, {a, b, a, 0.5f}, 4));
        }
    }
    EXPECT_EQ(seen, (std::set<Order>{{2, 3, 4, 1, 0, 2}, {3, 1, 4, 2, 0, 2}}));
}

// A screen locker starts its saver with its own switches; its window in
// XSCREENSAVER_WINDOW wins over them.
TEST(CommandLine, LockerSwitchesNameTheWindowToDrawInto) {
    const char* argv[] = {"vimbrel", "/p", "1234"};
    EXPECT_EQ(JoinArguments(3, argv), "/p 1234");
    EXPECT_EQ(JoinArguments(1, argv), "");
    // Arguments, XSCREENSAVER_WINDOW, and the window ("none" for no
    // locker's switches, "error" for a window named in a way that names none).
    const std::tuple<std::vector<std::string_view>, const char*, std::string> rows[] = {
        // clang-format off
        {{"-root"}, nullptr, "0"}, {{"-root"}, "", "0"}, {{"-root"}, "0x2a00007", "44040199"},
        {{"-root"}, "44040199", "44040199"}, {{"-window-id", "0x400001"}, nullptr, "4194305"},
        {{"--window-id", "77"}, nullptr, "77"}, {{"--window-id=0X1F"}, nullptr, "31"},
        {{"--window-id", "77"}, "0x10", "16"}, {{"--window-id", "seven"}, nullptr, "error"},
        {{"--window-id", "0"}, nullptr, "error"}, {{"-root"}, "0x", "error"},
        {{"-root"}, "99999999999", "error"}, {{"-window-id"}, nullptr, "none"},
        {{"-root", "extra"}, nullptr, "none"}, {{"/s"}, "0x10", "none"}, {{}, "0x10", "none"}};
    // clang-format on
    for (const auto& [arguments, environment, expected] : rows) {
        const std::optional<LockerTarget> target = LockerTargetOf(arguments, environment);
        EXPECT_EQ(!target                  ? "none"
                  : !target->error.empty() ? "error"
                                           : std::to_string(target->window),
                  expected)
            << (arguments.empty() ? "" : arguments[0]) << " " << (environment ? environment : "");
    }
}

} // namespace
} // namespace vimbrel
