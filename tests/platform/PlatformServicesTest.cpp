// The settings directory, the window-title lock and the cursor counter.

#include "PlatformDoubles.h"
#include "platform/CursorCounter.h"
#include "platform/Pickers.h"
#include "platform/SettingsDirectory.h"
#include "platform/WindowTitleLock.h"
#include "runtime/Error.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QTimer>
#include <cstdlib>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vimbrel::platform {
namespace {

using test::TempDirectory;

class Environment {
public:
    Environment(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) {
            m_old = old;
        }
        if (value != nullptr) {
            ::setenv(name, value, 1);
        } else {
            ::unsetenv(name);
        }
    }
    ~Environment() {
        if (m_old) {
            ::setenv(m_name, m_old->c_str(), 1);
        } else {
            ::unsetenv(m_name);
        }
    }

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

TEST(SettingsDirectory, ChosenFromTheEnvironmentAndCreated) {
    TempDirectory root;
    {
        Environment own("VIMBREL_HOME", (root / "own" / "deep").c_str());
        Environment xdg("XDG_CONFIG_HOME", (root / "xdg").c_str());
        EXPECT_EQ(GetSettingsDirectory(), root / "own" / "deep");
        EXPECT_TRUE(std::filesystem::is_directory(root / "own" / "deep"));
    }
    {
        Environment own("VIMBREL_HOME", nullptr);
        Environment xdg("XDG_CONFIG_HOME", (root / "xdg").c_str());
        EXPECT_EQ(GetSettingsDirectory(), root / "xdg" / "vimbrel");
    }
    {
        Environment own("VIMBREL_HOME", "");
        Environment xdg("XDG_CONFIG_HOME", "relative/config");
        Environment home("HOME", root.path().c_str());
        EXPECT_EQ(GetSettingsDirectory(), root / ".config" / "vimbrel");
    }
}

TEST(SettingsDirectory, ThatCannotBeMadeIsAnError) {
    TempDirectory root;
    test::WriteBytes(root / "file", "x");
    Environment own("VIMBREL_HOME", (root / "file" / "sub").c_str());
    EXPECT_THROW(GetSettingsDirectory(), Error);
}

TEST(WindowTitleLockTest, HeldWhileOpenIgnoringCaseAndFreedOnRelease) {
    TempDirectory runtime;
    Environment xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    EXPECT_FALSE(IsWindowTitleHeld("Screensaver: Vimbrel"));
    WindowTitleLock lock;
    ASSERT_TRUE(lock.Acquire("Screensaver: Vimbrel"));
    EXPECT_TRUE(IsWindowTitleHeld("Screensaver: Vimbrel"));
    EXPECT_TRUE(IsWindowTitleHeld("SCREENSAVER: VIMBREL"));
    EXPECT_FALSE(IsWindowTitleHeld("Screensaver:Vimbrel"));
    WindowTitleLock second;
    EXPECT_FALSE(second.Acquire("screensaver: vimbrel"));
    lock.Release();
    EXPECT_FALSE(IsWindowTitleHeld("Screensaver: Vimbrel"));
}

TEST(WindowTitleLockTest, OtherProcessCountsWhileAliveNotAfterItDies) {
    TempDirectory runtime;
    Environment xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        WindowTitleLock lock;
        const char answer = lock.Acquire("Screensaver: Vimbrel") ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    EXPECT_TRUE(IsWindowTitleHeld("Screensaver: Vimbrel"));
    // A show that was killed leaves its lock file behind; it must not count.
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_FALSE(IsWindowTitleHeld("Screensaver: Vimbrel"));
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(CursorCounterTest, BlankCursorExactlyWhileBelowZero) {
    CursorCounter cursor;
    EXPECT_EQ(cursor.ShowCursor(false), -1);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
    EXPECT_EQ(cursor.ShowCursor(false), -2);
    EXPECT_EQ(cursor.ShowCursor(true), -1);
    EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(cursor.ShowCursor(true), 0);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(cursor.ShowCursor(true), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace vimbrel::platform

namespace vimbrel::platform {
namespace {

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
