// The platform under the program: what a hand-edited, foreign or damaged
// settings file gives, writing one key in place so that every other byte of
// the file stays, text lines, plain files that never make a reader wait,
// private whole-file replacement; the settings directory, the window-title
// lock, the cursor and the folder picker. (Pipes in play lists and MIDI
// files, the password file: the tests of their users.)

#include "PlatformDoubles.h"
#include "controls/CursorHelpers.h"
#include "platform/FileSystem.h"
#include "platform/Pickers.h"
#include "platform/ProfileFile.h"
#include "platform/SettingsDirectory.h"
#include "platform/WindowTitleLock.h"
#include "runtime/Error.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vimbrel::platform {
namespace {

using namespace test;
using Lines = std::vector<std::string>;

int NumberOfError(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST(ProfileFile, ReadsWhatTheFileSays) {
    TempDirectory home, elsewhere;
    ProfileFiles profiles(home.path());
    // A file edited by hand, with a key for each rule of the reader.
    // clang-format off
    WriteBytes(home / "s.ini", CrLf({"above=1", " [\v OPTIONS\t] trailing", "\t Folders \v= \v3\t ",
        "Mixed=MiXeD", "dq=\"C:\\a b\"", "sq='x'", "two=\"\"x\"\"", "odd=\"x'", "lone=\"", " ;c=1",
        "semi=1;2 # 3", "eq=a=b", "empty=", "bare", "first=1", "FIRST=2", "[b]", "next=1",
        "[Options]", "late=1", "[]", "blank=1", "[Open ", "open=2", "]x=3"}));
    std::string read; // the values, "-" for the default
    for (const char* key : {"dq", "sq", "two", "odd", "lone", ";c", "semi", "eq", "empty", "bare",
                            "first", "next", "late"}) {
        read += profiles.GetPrivateProfileString("Options", key, "-", "s.ini") + "|";
    }
    for (const auto& [section, key] : {std::pair{"options", "folders"}, {"  Options ", " Folders "},
             {"OPTIONS", "MIXED"}, {"b", "next"}, {"", "above"}, {"", "blank"}, {"Open", "open"},
             {"Open", "]x"}}) {
        // clang-format on
        read += profiles.GetPrivateProfileString(section, key, "-", "s.ini") + "|";
    }
    EXPECT_EQ(read, "C:\\a b|x|\"x\"|\"x'|\"|-|1;2 # 3|a=b||-|1|-|-|3|3|MiXeD|1|-|1|2|3|");

    // Key k of section a in files of other line ends; then numbers.
    read.clear();
    for (const std::string& file :
         {std::string("[a]\nx=0\nk=lf\n"), std::string("[a]\rk=cr\r"), std::string("[a]\r\nk=last"),
          std::string("\xEF\xBB\xBF[a]\r\nk=bom\r\n"), std::string("[a]\r\nk=ab\0cd\r\n", 14),
          "[a]\r\nd=" + std::string(10 << 20, 'd') + "\r\nk=2"}) {
        WriteBytes(home / "s.ini", file);
        read += profiles.GetPrivateProfileString("a", "k", "-", "s.ini") + "|";
    }
    EXPECT_EQ(read, "lf|cr|last|bom|ab|2|");
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "d", "", "s.ini"), std::string(253, 'd'));
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "d", "", "s.ini", 10), "ddddddddd");
    read.clear();
    for (const char* value :
         {"42", "42A9", "B42", "-1", "+7", "\"12\"", "'-3'", "3.9", "", "- 5", "0X2", "0xFF0000",
          "-0x10", "0x1G", "0x", "\v7\v", "4294967297", "0xffffffff", "2147483648"}) {
        WriteBytes(home / "s.ini", "[a]\r\nk=" + std::string(value));
        read += std::to_string(profiles.GetPrivateProfileInt("a", "k", 55, "s.ini")) + " ";
    }
    EXPECT_EQ(read, "42 42 0 -1 7 12 -3 3 55 0 2 16711680 -16 1 0 7 1 -1 -2147483648 ");
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 77, "missing.ini"), 77);
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "  def  ", "missing.ini"), "  def");
    std::filesystem::create_directory(home / "d.ini");
    EXPECT_EQ(profiles.GetPrivateProfileInt("a", "k", 5, "d.ini"), 5);

    // A bare name is the settings directory's file, whatever the current
    // directory; a change of the same size within the same instant shows.
    WriteBytes(home / "s.ini", "[a]\r\nk=home");
    WriteBytes(elsewhere / "s.ini", "[a]\r\nk=away");
    const auto previous = std::filesystem::current_path();
    std::filesystem::current_path(elsewhere.path());
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini"), "home");
    WriteBytes(home / "s.ini", "[a]\r\nk=HOME");
    EXPECT_EQ(profiles.GetPrivateProfileString("a", "k", "", "s.ini"), "HOME");
    std::filesystem::current_path(previous);
}

// Keys written one after another into a linked file: the whole file after.
TEST(ProfileFile, WritesKeysInPlaceKeepingEveryOtherByte) {
    TempDirectory home, dotfiles;
    WriteBytes(
        dotfiles / "real.ini",
        "\xEF\xBB\xBF; note\r\n[OPTIONS]\r\n  LastFILENAME = old  \r\nFolders=2\r\n\r\n; "
        "c\r\n[x]\r\nk=1\r\nk=2\r\n[x]\r\nk=3\r\n[lf]\nk=1\nz=9\n[empty]\r\n\r\n[end]\r\nk=1");
    ::chmod((dotfiles / "real.ini").c_str(), 0640);
    std::filesystem::create_symlink(dotfiles / "real.ini", home / "c.ini");
    ProfileFiles profiles(home.path());
    ASSERT_EQ(profiles.GetPrivateProfileString("x", "k", "", "c.ini"), "1");
    // clang-format off
    for (const auto& [section, key, value] : {std::tuple{"Options", "LastFileName", "new.jpg"},
             {"Options", "New", "f"}, {"Options", "Folders", ""}, {"X", "K", "x"}, {"lf", "k", "22"},
             {"empty", "k", "v"}, {"end", "j", "2"}, {"new", "L", "x\r\n[Options]\nSettings=../y"}}) {
        // clang-format on
        profiles.WritePrivateProfileString(section, key, value, "c.ini");
    }
    EXPECT_EQ(
        ReadBytes(dotfiles / "real.ini"),
        "\xEF\xBB\xBF; note\r\n[OPTIONS]\r\n  LastFILENAME=new.jpg\r\nFolders=\r\nNew=f\r\n\r\n; "
        "c\r\n[x]\r\nk=x\r\nk=2\r\n[x]\r\nk=3\r\n[lf]\nk=22\nz=9\n[empty]\r\nk=v\r\n\r\n["
        "end]\r\nk=1\r\nj=2\r\n[new]\r\nL=x??[Options]?Settings=../y\r\n");
    EXPECT_EQ(profiles.GetPrivateProfileString("x", "k", "", "c.ini"), "x");
    EXPECT_TRUE(std::filesystem::is_symlink(home / "c.ini"));
    EXPECT_EQ(std::filesystem::status(dotfiles / "real.ini").permissions(),
              std::filesystem::perms{0640});
    // No temporary file left beside it.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dotfiles.path()), {}), 1);

    // A missing file is made; a folder is left alone.
    std::filesystem::create_directory(home / "d.ini");
    profiles.WritePrivateProfileString("Options", "Settings", "v.ini", "new.ini");
    EXPECT_EQ(ReadBytes(home / "new.ini"), CrLf({"[Options]", "Settings=v.ini"}));
    EXPECT_EQ(WithProfileKey("[a]\r\nk=1", "b", "j", "2"), CrLf({"[a]", "k=1", "[b]", "j=2"}));
    EXPECT_ANY_THROW(profiles.WritePrivateProfileString("a", "k", "1", "d.ini"));
    EXPECT_TRUE(std::filesystem::is_directory(home / "d.ini"));
}

TEST(ProfileFile, ReadOnlyFileOrFolderIsAnErrorAndStaysAsItWas) {
    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    TempDirectory home;
    std::filesystem::path directory = home.path();
    WriteBytes(home / "c.ini", "[a]\r\nk=1\r\n");
    const auto write = [](void* folder) {
        return NumberOfError([folder] {
            ProfileFiles(*static_cast<std::filesystem::path*>(folder))
                .WritePrivateProfileString("a", "k", "2", "c.ini");
        });
    };
    for (const auto& [file, folder] : {std::pair{0444, 0755}, std::pair{0644, 0555}}) {
        ::chmod((home / "c.ini").c_str(), file);
        ::chmod(home.path().c_str(), folder);
        EXPECT_EQ(RunWithoutPermissionOverride(write, &directory), 70);
        ::chmod(home.path().c_str(), 0755);
        EXPECT_EQ(ReadBytes(home / "c.ini"), "[a]\r\nk=1\r\n");
    }
}

// Text lines split at any line end and written with CR LF; pipes and
// folders refused unread; private files the owner's alone, even over a file
// made read-only.
TEST(FileSystem, TextLinesPlainFilesOnlyAndPrivateReplacement) {
    EXPECT_EQ(SplitTextLines("a\r\nb\nc\rd\r\n\r\n"), (Lines{"a", "b", "c", "d", ""}));
    EXPECT_TRUE(SplitTextLines("").empty());
    TempDirectory home;
    WriteTextLines(home / "t.ini", {"[Options]", "Settings=v.ini", ""}, "test");
    EXPECT_EQ(ReadBytes(home / "t.ini"), "[Options]\r\nSettings=v.ini\r\n\r\n");
    EXPECT_TRUE(FileExists(home / "t.ini") && !FileExists(home.path()) && !FileExists(home / "no"));
    EXPECT_NE(NumberOfError([&] { WriteFileReplacing(home / "no" / "f.ini", "x", "test"); }), 0);
    EXPECT_EQ(NumberOfError([&] { SetCurrentDirectory(home / "missing"); }),
              ErrorNumber::PathNotFound);

    WriteBytes(home / "ten.m3u", "0123456789");
    EXPECT_EQ(ReadPlainFileUpTo(home / "ten.m3u", 10, "test"), "0123456789");
    EXPECT_EQ(ReadPlainFileUpTo(home / "ten.m3u", 9, "test"), std::nullopt);
    ASSERT_EQ(::mkfifo((home / "pipe.mid").c_str(), 0600), 0);
    std::filesystem::create_directory(home / "folder.avi");
    for (const auto& [name, number] :
         {std::pair{"ten.m3u", 0}, {"none", 53}, {"pipe.mid", 75}, {"folder.avi", 75}}) {
        EXPECT_EQ(NumberOfError([&] { CheckPlainFileReadable(home / name, "test"); }), number);
    }
    const int pipe = OpenForReading(home / "pipe.mid");
    ASSERT_GE(pipe, 0);
    CloseDescriptor(pipe);
    std::filesystem::create_symlink(home / "gone", home / "dangling.wav");
    EXPECT_TRUE(PathExists(home / "folder.avi") && PathExists(home / "pipe.mid") &&
                !PathExists(home / "dangling.wav"));

    WriteBytes(home / "secret", "old");
    ::chmod((home / "secret").c_str(), 0444);
    WriteFileReplacing(home / "secret", "new", "test", FileAccess::Private);
    EXPECT_EQ(ReadBytes(home / "secret"), "new");
    EXPECT_EQ(std::filesystem::status(home / "secret").permissions(), std::filesystem::perms{0600});
    EXPECT_NO_THROW(RemoveFileIfPresent(home / "none", "test"));
}

TEST(SettingsDirectory, ChosenFromTheEnvironmentAndMade) {
    TestPlatform platform; // gives VIMBREL_HOME back at the end
    TempDirectory root;
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
    TestPlatform platform; // a runtime folder of the test's own
    const char* title = "Screensaver: Vimbrel";
    WindowTitleLock lock, second;
    ASSERT_TRUE(lock.Acquire(title));
    EXPECT_TRUE(IsWindowAbsent("Screensaver:Vimbrel"));
    EXPECT_FALSE(IsWindowAbsent("SCREENSAVER: VIMBREL") || second.Acquire("screensaver: vimbrel"));
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
    EXPECT_TRUE(::read(ready[0], &answer, 1) == 1 && answer == 'y');
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
    std::string trace; // the counter after each call, "b" while blank
    for (const bool show : {false, false, true, true, true}) {
        const int value = cursor.ShowCursor(show);
        const QCursor* shown = QGuiApplication::overrideCursor();
        trace += std::to_string(value) + (shown && shown->shape() == Qt::BlankCursor ? "b " : " ");
    }
    for (const auto helper : {&HideCursor, &HideCursor, &RestoreCursor, &RestoreCursor}) {
        helper(cursor);
        trace += std::to_string(cursor.value()) + " ";
    }
    EXPECT_EQ(trace, "-1b -2b -1b 0 1 -6 -7 6 7 ");
}

TEST(FolderPickerTest, OpensAtHomeWithThePromptInside) {
    QString seen;
    QTimer::singleShot(0, [&] {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            const auto* label = dialog->findChild<QLabel*>(kFolderPromptName);
            seen = dialog->directory().absolutePath() + "|" + (label ? label->text() : "-");
            dialog->reject();
        }
    });
    EXPECT_EQ(DialogFolderPicker().BrowseForFolder(nullptr, "Choose a folder of pictures"), "");
    EXPECT_EQ(seen, QDir::homePath() + "|Choose a folder of pictures");
}

} // namespace
} // namespace vimbrel::platform
