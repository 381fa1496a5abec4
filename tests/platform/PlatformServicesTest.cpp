// The settings directory, the window-title lock, the cursor and the folder
// picker.

#include "PlatformDoubles.h"
#include "controls/CursorHelpers.h"
#include "platform/Pickers.h"
#include "platform/SettingsDirectory.h"
#include "platform/WindowTitleLock.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vimbrel::platform {
namespace {

TEST(SettingsDirectory, ChosenFromTheEnvironmentAndMade) {
    test::TestPlatform platform; // gives VIMBREL_HOME back at the end
    test::TempDirectory root;
    const std::string r = root.path().string(), home = std::getenv("HOME");
    ::setenv("HOME", r.c_str(), 1);
    // VIMBREL_HOME ("-" unset), XDG_CONFIG_HOME, and the directory chosen.
    const std::string cases[][3] = {{r + "/own/deep", r + "/xdg", r + "/own/deep"},
                                    {"-", r + "/xdg", r + "/xdg/vimbrel"},
                                    {"", "relative/config", r + "/.config/vimbrel"}};
    for (const auto& [own, xdg, expected] : cases) {
        own == "-" ? ::unsetenv("VIMBREL_HOME") : ::setenv("VIMBREL_HOME", own.c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
        EXPECT_EQ(GetSettingsDirectory(), expected);
        EXPECT_TRUE(std::filesystem::is_directory(expected));
    }
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
}

TEST(WindowTitleLockTest, HeldWhileOpenInAnyProcessIgnoringCase) {
    test::TestPlatform platform; // a runtime folder of the test's own
    const char* title = "Screensaver: Vimbrel";
    EXPECT_TRUE(IsWindowAbsent(title));
    WindowTitleLock lock, second;
    ASSERT_TRUE(lock.Acquire(title));
    EXPECT_FALSE(IsWindowAbsent("SCREENSAVER: VIMBREL"));
    EXPECT_TRUE(IsWindowAbsent("Screensaver:Vimbrel"));
    EXPECT_FALSE(second.Acquire("screensaver: vimbrel"));
    lock.Release();
    EXPECT_TRUE(IsWindowAbsent(title));

    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        (void)!::write(ready[1], lock.Acquire(title) ? "y" : "n", 1);
        ::pause();
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    EXPECT_EQ(answer, 'y');
    EXPECT_FALSE(IsWindowAbsent(title));
    // A show that was killed leaves its lock file behind; it must not count.
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_TRUE(IsWindowAbsent(title));
}

// Blank exactly while the counter is below 0; the helpers drive it past -6
// and 6, so that five requests from elsewhere do not undo them.
TEST(CursorCounterTest, BlankExactlyWhileBelowZeroAndTheHelpersDrivePastTheirThresholds) {
    CursorCounter cursor;
    const auto shape = [] {
        const QCursor* shown = QGuiApplication::overrideCursor();
        return shown == nullptr ? -1 : int{shown->shape()};
    };
    const int blank = Qt::BlankCursor;
    for (const auto& [show, value, expected] : {std::tuple{false, -1, blank},
                                                {false, -2, blank},
                                                {true, -1, blank},
                                                {true, 0, -1},
                                                {true, 1, -1}}) {
        EXPECT_EQ(cursor.ShowCursor(show), value);
        EXPECT_EQ(shape(), expected) << value;
    }
    for (const auto& [helper, value] : {std::pair{&HideCursor, -6},
                                        {&HideCursor, -7},
                                        {&RestoreCursor, 6},
                                        {&RestoreCursor, 7}}) {
        helper(cursor);
        EXPECT_EQ(cursor.value(), value);
    }
}

// The folder dialog opens at the user's home, with the prompt inside it.
TEST(FolderPickerTest, OpensAtHomeWithThePromptInside) {
    QString directory, prompt;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            directory = dialog->directory().absolutePath();
            if (const auto* label = dialog->findChild<QLabel*>(kFolderPromptName)) {
                prompt = label->text();
            }
            dialog->reject();
        }
    });
    DialogFolderPicker picker;
    EXPECT_EQ(picker.BrowseForFolder(nullptr, "Choose a folder of pictures"), "");
    EXPECT_EQ(directory, QDir::homePath());
    EXPECT_EQ(prompt, "Choose a folder of pictures");
}

} // namespace
} // namespace vimbrel::platform
