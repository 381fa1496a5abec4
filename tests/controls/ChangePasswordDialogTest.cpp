// The "Change Password" dialog of mode /A with real widgets: what it stores,
// what it refuses, and that a refusal changes nothing.

#include "controls/ChangePasswordDialog.h"

#include "PlatformDoubles.h"
#include "controls/Passwords.h"
#include "platform/Registry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel {
namespace {

class ChangePassword : public ::testing::Test {
protected:
    // The registry's password switch as the show reads it.
    std::string PasswordSwitch() {
        return platform::ReadRegistryString(platform.profiles, platform::kCurrentUserRoot,
                                            "Control Panel\\Desktop", "ScreenSaveUsePassword");
    }
    // Fills the dialog as a user does and presses OK; true when it closed.
    bool Submit(ChangePasswordDialog& dialog, const QString& old, const QString& fresh,
                const QString& confirm) {
        dialog.show();
        QTest::keyClicks(dialog.Text_OldPassword, old);
        QTest::keyClicks(dialog.Text_NewPassword, fresh);
        QTest::keyClicks(dialog.Text_ConfirmPassword, confirm);
        QTest::keyClick(dialog.Text_ConfirmPassword, Qt::Key_Return); // OK is the default
        return dialog.result() == QDialog::Accepted && !dialog.isVisible();
    }
    void SetPassword(const std::string& password) {
        ChangePasswordDialog dialog(platform.profiles, home);
        ASSERT_TRUE(
            Submit(dialog, "", QString::fromStdString(password), QString::fromStdString(password)));
    }
    mode_t ModeOfPasswordFile() {
        struct stat info {};
        return ::stat((home / kPasswordFile).c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
    }

    test::TestPlatform platform;
    std::filesystem::path home = platform.settingsDirectory();
};

TEST_F(ChangePassword, FirstPasswordIsStoredPrivatelyAndSwitchedOn) {
    ChangePasswordDialog dialog(platform.profiles, home);
    EXPECT_EQ(dialog.windowTitle(), "Change Password");
    EXPECT_TRUE(dialog.isModal());
    dialog.show();
    EXPECT_FALSE(dialog.Text_OldPassword->isVisible()); // nothing to ask for yet
    EXPECT_EQ(dialog.Text_NewPassword->echoMode(), QLineEdit::Password);
    EXPECT_EQ(dialog.Text_ConfirmPassword->echoMode(), QLineEdit::Password);

    ASSERT_TRUE(Submit(dialog, "", "open sesame", "open sesame"));
    EXPECT_TRUE(CheckScreenSavePassword(home, "open sesame"));
    EXPECT_FALSE(CheckScreenSavePassword(home, ""));
    EXPECT_EQ(ModeOfPasswordFile(), 0600u);
    EXPECT_EQ(PasswordSwitch(), "001");
    // Neither the hash file nor any settings file holds the password.
    for (const auto& entry : std::filesystem::directory_iterator(home)) {
        EXPECT_EQ(test::ReadBytes(entry.path()).find("sesame"), std::string::npos) << entry.path();
    }
}

TEST_F(ChangePassword, ChangingAsksForTheOldOneAndReplacesTheFileInOneStep) {
    SetPassword("first");
    // A file someone made readable to others is private again afterwards.
    ::chmod((home / kPasswordFile).c_str(), 0644);
    struct stat before {};
    ::stat((home / kPasswordFile).c_str(), &before);

    ChangePasswordDialog dialog(platform.profiles, home);
    dialog.show();
    EXPECT_TRUE(dialog.Text_OldPassword->isVisible());
    ASSERT_TRUE(Submit(dialog, "first", "second", "second"));
    EXPECT_TRUE(CheckScreenSavePassword(home, "second"));
    EXPECT_FALSE(CheckScreenSavePassword(home, "first"));
    EXPECT_EQ(ModeOfPasswordFile(), 0600u);
    // A new file took the old one's place (no rewrite in place that a crash
    // could leave half done), and no temporary file is left behind.
    struct stat after {};
    ::stat((home / kPasswordFile).c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino);
    for (const auto& entry : std::filesystem::directory_iterator(home)) {
        EXPECT_EQ(entry.path().filename().string().rfind(".password", 0), std::string::npos)
            << entry.path();
    }
}

TEST_F(ChangePassword, WrongOldPasswordOrMismatchChangesNothing) {
    SetPassword("first");
    const std::string stored = test::ReadBytes(home / kPasswordFile);
    const std::string registry = test::ReadBytes(home / "registry.ini");

    struct Case {
        const char* old;
        const char* fresh;
        const char* confirm;
        const char* message;
    };
    for (const Case& c : {Case{"wrong", "second", "second", "old password is not correct"},
                          Case{"", "second", "second", "old password is not correct"},
                          Case{"first", "second", "Second", "do not match"},
                          Case{"first", "", "x", "do not match"}}) {
        ChangePasswordDialog dialog(platform.profiles, home);
        EXPECT_FALSE(Submit(dialog, c.old, c.fresh, c.confirm)) << c.old << "/" << c.confirm;
        EXPECT_TRUE(dialog.isVisible());
        EXPECT_TRUE(dialog.Label_Message->text().contains(c.message))
            << dialog.Label_Message->text().toStdString();
        EXPECT_EQ(test::ReadBytes(home / kPasswordFile), stored);
        EXPECT_EQ(test::ReadBytes(home / "registry.ini"), registry);
        // The refused entry is cleared for the next try.
        EXPECT_TRUE(dialog.Text_OldPassword->text().isEmpty() ||
                    dialog.Text_ConfirmPassword->text().isEmpty());
    }
    EXPECT_TRUE(CheckScreenSavePassword(home, "first"));
}

TEST_F(ChangePassword, EmptyNewPasswordSwitchesTheGuardOff) {
    SetPassword("first");
    ChangePasswordDialog dialog(platform.profiles, home);
    ASSERT_TRUE(Submit(dialog, "first", "", ""));
    EXPECT_FALSE(std::filesystem::exists(home / kPasswordFile));
    EXPECT_EQ(PasswordSwitch(), "000");
    EXPECT_EQ(StoredPasswordState(home), StoredPassword::None);
}

TEST_F(ChangePassword, DamagedFileIsNamedAndNotReplacedBlindly) {
    test::WriteBytes(home / kPasswordFile, "garbage");
    ChangePasswordDialog dialog(platform.profiles, home);
    dialog.show();
    EXPECT_TRUE(dialog.Label_Message->text().contains("damaged"));
    EXPECT_TRUE(dialog.Label_Message->text().contains(
        QString::fromStdString((home / kPasswordFile).string())));
    EXPECT_FALSE(Submit(dialog, "", "new", "new"));
    EXPECT_EQ(test::ReadBytes(home / kPasswordFile), "garbage");
}

TEST_F(ChangePassword, CancelChangesNothing) {
    ChangePasswordDialog dialog(platform.profiles, home);
    dialog.show();
    QTest::keyClicks(dialog.Text_NewPassword, "x");
    QTest::keyClicks(dialog.Text_ConfirmPassword, "x");
    QTest::mouseClick(dialog.Command_Cancel, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_FALSE(std::filesystem::exists(home / kPasswordFile));
    EXPECT_EQ(PasswordSwitch(), "");
}

} // namespace
} // namespace vimbrel
