#include "controls/ChangePasswordDialog.h"

#include "controls/Passwords.h"
#include "platform/HostWindows.h"
#include "platform/Registry.h"
#include "runtime/Error.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vimbrel {

namespace {

QLineEdit* PasswordField(const char* name, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setEchoMode(QLineEdit::Password);
    // Nothing typed here may end up in a clipboard or an input method's
    // history.
    field->setAttribute(Qt::WA_InputMethodEnabled, false);
    field->setContextMenuPolicy(Qt::NoContextMenu);
    return field;
}

// The password text leaves the field only as UTF-8 bytes for the hash.
std::string TextOf(const QLineEdit* field) {
    return field->text().toUtf8().toStdString();
}

} // namespace

ChangePasswordDialog::ChangePasswordDialog(platform::ProfileFiles& profiles,
                                           std::filesystem::path settingsDirectory, QWidget* parent)
    : QDialog(parent), m_profiles(profiles), m_settingsDirectory(std::move(settingsDirectory)) {
    setObjectName("ChangePassword");
    setWindowTitle("Change Password");
    setModal(true);

    Label_Old = new QLabel("&Old password:", this);
    Text_OldPassword = PasswordField("Text_OldPassword", this);
    Label_Old->setBuddy(Text_OldPassword);
    Text_NewPassword = PasswordField("Text_NewPassword", this);
    Text_ConfirmPassword = PasswordField("Text_ConfirmPassword", this);
    Label_Message = new QLabel(this);
    Label_Message->setObjectName("Label_Message");
    Label_Message->setWordWrap(true);
    Command_OK = new QPushButton("OK", this);
    Command_OK->setObjectName("Command_OK");
    Command_OK->setDefault(true);
    Command_Cancel = new QPushButton("Cancel", this);
    Command_Cancel->setObjectName("Command_Cancel");

    auto* fields = new QFormLayout;
    fields->addRow(Label_Old, Text_OldPassword);
    fields->addRow("&New password:", Text_NewPassword);
    fields->addRow("&Confirm new password:", Text_ConfirmPassword);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command_OK);
    buttons->addWidget(Command_Cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel("Change the password that ends the screen saver's show.", this));
    layout->addLayout(fields);
    layout->addWidget(Label_Message);
    layout->addLayout(buttons);

    const StoredPassword stored = StoredPasswordState(m_settingsDirectory);
    const bool asksOld = stored != StoredPassword::None;
    Label_Old->setVisible(asksOld);
    Text_OldPassword->setVisible(asksOld);
    if (stored == StoredPassword::Damaged) {
        Label_Message->setText(QString::fromStdString(DamagedPasswordNotice(m_settingsDirectory)));
    }
    (asksOld ? Text_OldPassword : Text_NewPassword)->setFocus();

    connect(Command_OK, &QPushButton::clicked, this, &ChangePasswordDialog::Command_OK_Click);
    connect(Command_Cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void ChangePasswordDialog::Refuse(const QString& message, QLineEdit* retry) {
    Label_Message->setText(message);
    retry->clear();
    if (retry == Text_NewPassword) {
        Text_ConfirmPassword->clear();
    }
    retry->setFocus();
}

void ChangePasswordDialog::Command_OK_Click() {
    const StoredPassword stored = StoredPasswordState(m_settingsDirectory);
    if (stored == StoredPassword::Damaged) {
        Refuse(QString::fromStdString(DamagedPasswordNotice(m_settingsDirectory)),
               Text_OldPassword);
        return;
    }
    if (stored == StoredPassword::Set &&
        !CheckScreenSavePassword(m_settingsDirectory, TextOf(Text_OldPassword))) {
        Refuse("The old password is not correct. Nothing was changed.", Text_OldPassword);
        return;
    }
    const std::string password = TextOf(Text_NewPassword);
    if (password != TextOf(Text_ConfirmPassword)) {
        Refuse("The new password and its confirmation do not match. Nothing was changed.",
               Text_NewPassword);
        return;
    }
    try {
        StoreScreenSavePassword(m_settingsDirectory, password);
        platform::WriteRegistryNumber(m_profiles, platform::kCurrentUserRoot,
                                      "Control Panel\\Desktop", "ScreenSaveUsePassword",
                                      password.empty() ? 0 : 1);
    } catch (const Error& error) {
        Label_Message->setText(QString::fromStdString("The password could not be stored: " +
                                                      FormatErrorReport(error)));
        return;
    }
    accept();
}

bool ChangeScreenSavePassword(platform::ProfileFiles& profiles,
                              const std::filesystem::path& settingsDirectory, int32_t ownerWindow) {
    ChangePasswordDialog dialog(profiles, settingsDirectory);
    platform::SetOwnerWindow(&dialog, static_cast<uint32_t>(ownerWindow));
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vimbrel
