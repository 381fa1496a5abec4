// The screen-saver password: the "Change Password" dialog of mode /A with real
// widgets, the hash file it keeps and the registry switch the show reads.

#include "controls/ChangePasswordDialog.h"

#include "PlatformDoubles.h"
#include "controls/Passwords.h"
#include "platform/Registry.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <set>

namespace vimbrel {
namespace {

namespace fs = std::filesystem;

class Password : public ::testing::Test {
protected:
    std::string Registry(const char* value) {
        return platform::ReadRegistryString(platform.profiles, platform::kCurrentUserRoot,
                                            "Control Panel\\Desktop", value);
    }
    // Which of these entries the stored password accepts, "+" or "-" each,
    // and the password switch as the show reads it.
    std::string State() {
        std::string result;
        for (const char* entry : {"", "sesame", "Sesame", "second", "new"}) {
            result += CheckScreenSavePassword(home, entry) ? '+' : '-';
        }
        return result + " " + Registry("ScreenSaveUsePassword");
    }
    // Fills a new dialog as a user does and presses Return, for OK is the
    // default button; true when the dialog closed.
    bool Submit(const QString& old, const QString& fresh, const QString& confirm) {
        dialog = std::make_unique<ChangePasswordDialog>(platform.profiles, home);
        dialog->show();
        QTest::keyClicks(dialog->Text_OldPassword, old);
        QTest::keyClicks(dialog->Text_NewPassword, fresh);
        QTest::keyClicks(dialog->Text_ConfirmPassword, confirm);
        QTest::keyClick(dialog->Text_ConfirmPassword, Qt::Key_Return);
        return dialog->result() == QDialog::Accepted && !dialog->isVisible();
    }

    test::TestPlatform platform;
    fs::path home = platform.settingsDirectory();
    fs::path file = home / kPasswordFile;
    std::unique_ptr<ChangePasswordDialog> dialog;
};

TEST_F(Password, IsSetThenChangedOnlyWithTheOldOneThenCleared) {
    ChangePasswordDialog cancelled(platform.profiles, home);
    cancelled.show();
    QTest::mouseClick(cancelled.Command_Cancel, Qt::LeftButton);
    // Cancel closes the dialog as rejected and stores nothing.
    EXPECT_EQ(cancelled.isVisible() ? -1 : cancelled.result(), QDialog::Rejected);
    EXPECT_EQ(State(), "+---- "); // nothing stored: only the empty entry passes

    ASSERT_TRUE(Submit("", "sesame", "sesame"));
    EXPECT_TRUE(dialog->Text_OldPassword->isHidden()); // nothing to ask for yet
    for (const QLineEdit* field : dialog->findChildren<QLineEdit*>()) {
        EXPECT_EQ(field->echoMode(), QLineEdit::Password);
    }
    EXPECT_EQ(State(), "-+--- 001");

    // A refusal says why, clears the refused entry and changes nothing.
    const std::string before = test::ReadBytes(file) + test::ReadBytes(home / "registry.ini");
    for (auto [old, fresh, confirm, message] :
         {std::tuple{"wrong", "second", "second", "old password is not correct"},
          std::tuple{"", "second", "second", "old password is not correct"},
          std::tuple{"sesame", "second", "Second", "do not match"},
          std::tuple{"sesame", "", "x", "do not match"}}) {
        SCOPED_TRACE(message);
        EXPECT_FALSE(Submit(old, fresh, confirm));
        EXPECT_TRUE(dialog->Label_Message->text().contains(message));
        EXPECT_TRUE(dialog->Text_OldPassword->text().isEmpty() ||
                    dialog->Text_ConfirmPassword->text().isEmpty());
        EXPECT_EQ(test::ReadBytes(file) + test::ReadBytes(home / "registry.ini"), before);
    }

    // A change replaces the file in one step (a link to the old one keeps the
    // old hash), private again even when it was made readable, with no
    // temporary file left and the password nowhere in clear.
    fs::permissions(file, fs::perms::group_read, fs::perm_options::add);
    fs::create_hard_link(file, home / "old");
    ASSERT_TRUE(Submit("sesame", "second", "second"));
    EXPECT_FALSE(dialog->Text_OldPassword->isHidden());
    EXPECT_EQ(State(), "---+- 001");
    EXPECT_NE(test::ReadBytes(home / "old"), test::ReadBytes(file));
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write);
    std::set<std::string> names;
    for (const fs::path& entry : fs::directory_iterator(home)) {
        names.insert(entry.filename());
        EXPECT_EQ(test::ReadBytes(entry).find("second"), std::string::npos) << entry;
    }
    EXPECT_EQ(names, (std::set<std::string>{"old", "password", "registry.ini"}));

    // An empty new password switches the guard off.
    ASSERT_TRUE(Submit("second", "", ""));
    EXPECT_FALSE(fs::exists(file)); // not a hash of the empty password
    EXPECT_EQ(State(), "+---- 000");
}

// A spoiled or unreadable file must never let a protected show end: it
// accepts nothing, not even the empty entry a missing file accepts, and the
// dialog names it rather than replace it without the old password.
TEST_F(Password, ADamagedFileAcceptsNothingAndIsNamedNotReplaced) {
    for (const std::string& damage :
         {std::string("garbage"), std::string(), "$argon2id$v=19$" + std::string(128, 'x'),
          std::string("a directory")}) {
        SCOPED_TRACE(damage);
        fs::remove(file);
        damage == "a directory" ? void(fs::create_directory(file)) : test::WriteBytes(file, damage);
        const ChangePasswordDialog opened(platform.profiles, home);
        EXPECT_TRUE(opened.Label_Message->text().contains(QString::fromStdString(file.string())));
        EXPECT_FALSE(Submit("", "new", "new"));
        EXPECT_EQ(State(), "----- ");
    }
}

// A number reads as three digits (1234 as "123"); a hand-written value as it
// stands, so that "1" switches the guard on.
TEST_F(Password, RegistryValuesReadAsTheShowReadsThem) {
    test::WriteBytes(home / "registry.ini",
                     test::CrLf({"[HKEY_CURRENT_USER\\Control Panel\\Desktop]",
                                 "Big=dword:000004d2", "Text=1"}));
    EXPECT_EQ(Registry("Big") + "|" + Registry("Text"), "123|1");
}

} // namespace
} // namespace vimbrel
