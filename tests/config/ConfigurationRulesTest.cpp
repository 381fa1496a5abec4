// The texts and numbers behind the configuration dialog.

#include "config/ConfigurationRules.h"

#include "display/DisplayModes.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST(ConfigurationRules, SubFoldersOfAChosenFolder) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        // chosen, the base named in the messages, a sub-folder's path
        {"/photos", "/photos", "/photos/2019"},
        {"/photos/", "/photos", "/photos/2019"},
        {"/photos//", "/photos", "/photos/2019"},
        {"/", "/", "/2019"},
    };
    for (const auto& [chosen, base, sub] : cases) {
        EXPECT_EQ(SubFolderBase(chosen), base);
        EXPECT_EQ(SubFolderPath(SubFolderBase(chosen), "2019"), sub);
    }
}

TEST(ConfigurationRules, KeyFieldsShowUpperCaseAndStoreLowerCase) {
    EXPECT_EQ(KeyFieldText('z'), "Z");
    EXPECT_EQ(KeyFieldText('5'), "5");
    EXPECT_EQ(KeyFieldText(0x00E9), QString(QChar(0x00C9)));
    EXPECT_EQ(KeyFieldText(0), "");
    EXPECT_EQ(KeyFieldText(-5), "");
    EXPECT_EQ(KeyCodeOf("Q"), int16_t{'q'});
    EXPECT_EQ(KeyCodeOf("AB"), int16_t{'a'});
    EXPECT_EQ(KeyCodeOf(" "), int16_t{' '});
    EXPECT_EQ(KeyCodeOf(QString(QChar(0x00C9))), int16_t{0x00E9});
    EXPECT_EQ(KeyCodeOf(""), std::nullopt);
    // Beyond what a 16-bit key holds.
    EXPECT_EQ(KeyCodeOf(QString(QChar(0xAC00))), std::nullopt);
}

TEST(ConfigurationRules, NewFolderStartsInTheDesktopsMode) {
    DisplayModeState display;
    display.FirstModeIndex = 2;
    display.CurrentModeIndex = 5;
    const FolderEntry entry = NewFolderEntry("/m", display);
    EXPECT_EQ(entry.Resolution, 3);
    EXPECT_EQ(entry.Folder, "/m");
    EXPECT_EQ(entry.Interval, 3);
    EXPECT_EQ(entry.ImageScale, 2);
    EXPECT_EQ(entry.RandomOrder, 1);
    EXPECT_EQ(entry.VideoScale, 0);
}

TEST(ConfigurationRules, FolderListOrderIgnoresCaseAndKeepsTwinsInTableOrder) {
    SettingsModel model;
    model.settings.Folders = 5;
    model.ResizeFolderTable(5);
    const char* paths[] = {"", "/m/b", "/m/A", "/m/b", "/m/C", "/m/a"};
    for (int n = 1; n <= 5; ++n) {
        model.FolderTable[static_cast<std::size_t>(n)].Folder = paths[n];
    }
    const std::vector<int16_t> order = FolderListOrder(model);
    ASSERT_EQ(order.size(), 5u);
    // "/m/A" and "/m/a" stand together; the two "/m/b" keep their order.
    EXPECT_EQ(std::vector<int16_t>(order.begin() + 2, order.end()),
              (std::vector<int16_t>{1, 3, 4}));
    // A count beyond the table lists only what is there.
    model.settings.Folders = 9;
    EXPECT_EQ(FolderListOrder(model).size(), 5u);
}

} // namespace
} // namespace vimbrel
