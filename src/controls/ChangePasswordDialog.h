#pragma once

#include <QDialog>
#include <cstdint>
#include <filesystem>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vimbrel {

namespace platform {
class ProfileFiles;
}

// The "Change Password" dialog of mode /A: the old password (when one is
// stored), the new one and its confirmation. OK stores the new password's
// hash and sets the registry's ScreenSaveUsePassword to 1, or to 0 when the
// new password is empty; a wrong old password or a confirmation that does
// not match changes nothing and says so in the dialog.
class ChangePasswordDialog final : public QDialog {
public:
    ChangePasswordDialog(platform::ProfileFiles& profiles, std::filesystem::path settingsDirectory,
                         QWidget* parent = nullptr);

    void Command_OK_Click();

    QLabel* Label_Old = nullptr;
    QLineEdit* Text_OldPassword = nullptr; // hidden when no password is stored
    QLineEdit* Text_NewPassword = nullptr;
    QLineEdit* Text_ConfirmPassword = nullptr;
    QLabel* Label_Message = nullptr; // what went wrong, in words
    QPushButton* Command_OK = nullptr;
    QPushButton* Command_Cancel = nullptr;

private:
    void Refuse(const QString& message, QLineEdit* retry);

    platform::ProfileFiles& m_profiles;
    std::filesystem::path m_settingsDirectory;
};

// Mode /A: the dialog, modal, owned by the given window where it exists.
// True when a new password was stored.
bool ChangeScreenSavePassword(platform::ProfileFiles& profiles,
                              const std::filesystem::path& settingsDirectory, int32_t ownerWindow);

} // namespace vimbrel
