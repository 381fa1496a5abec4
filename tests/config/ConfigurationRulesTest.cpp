// The texts and numbers behind the configuration dialog.

#include "config/ConfigurationRules.h"

#include "display/DisplayModes.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST(ConfigurationRules, CaptionsAndResolutions) {
    EXPECT_EQ(IntervalCaption(75), "Interval = 1 minutes and 15 seconds");
    EXPECT_EQ(MouseSensitivityCaption(4), "Mouse Sensitivity = 4");
    // The modes of the desktop's depth, in their order, up to the last one counted.
    DisplayModeState display{.ModeCount = 4, .ColorDepth = 24, .FirstModeIndex = 2};
    display.DisplayModes = {{24, 640, 480}, {16, 800, 600}, {24, 800, 600}, {32, 1280, 1024}};
    display.DisplayModes.insert(display.DisplayModes.end(), {{24, 1024, 768}, {24, 1600, 1200}});
    EXPECT_EQ(ResolutionEntries(display),
              (std::vector<std::string>{"640x480", "800x600", "1024x768"}));
    display.CurrentModeIndex = 5; // a new folder starts in the desktop's mode
    EXPECT_EQ(NewFolderEntry("/m", display).Resolution, 3);
}

TEST(ConfigurationRules, SubFoldersOfAChosenFolder) {
    const std::vector<std::string> chosen = {"/photos//", "/photos", "/"},
                                   base = {"/photos", "/photos", "/"};
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        EXPECT_EQ(SubFolderBase(chosen[i]), base[i]);
        EXPECT_EQ(SubFolderPath(base[i], "2019"), (i < 2 ? "/photos/2019" : "/2019"));
    }
}

TEST(ConfigurationRules, KeyFieldsShowUpperCaseAndStoreOneLowerCaseCharacter) {
    const int16_t codes[] = {'z', '5', 0xE9, 0, -5};
    const QStringList shown = {"Z", "5", QString(QChar(0xC9)), "", ""};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(KeyFieldText(codes[i]), shown[i]) << codes[i];
    }
    const QStringList typed = {"Q", "AB", " ", QString(QChar(0xC9)), "", QString(QChar(0xAC00))};
    const std::optional<int16_t> stored[] = {'q', 'a', ' ', 0xE9, std::nullopt, std::nullopt};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(KeyCodeOf(typed[i]), stored[i]) << typed[i].toStdString();
    }
}

TEST(ConfigurationRules, FolderListOrderIgnoresCaseAndKeepsTwinsInTableOrder) {
    SettingsModel model;
    model.settings.Folders = 9; // beyond the table: only what is there is listed
    for (const char* path : {"/m/b", "/m/A", "/m/b", "/m/C", "/m/a"}) {
        model.FolderTable.push_back({.Folder = path});
    }
    EXPECT_EQ(FolderListOrder(model), (std::vector<int16_t>{2, 5, 1, 3, 4}));
}

} // namespace
} // namespace vimbrel
