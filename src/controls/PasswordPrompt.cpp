#include "controls/PasswordPrompt.h"

#include "platform/ScreenHold.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vimbrel {

std::optional<std::string> AskForPassword(QWidget* owner, std::string_view notice) {
    QDialog dialog(owner);
    dialog.setObjectName(kPasswordPromptName);
    dialog.setWindowTitle("Vimbrel");
    dialog.setWindowFlags(Qt::Dialog);
    dialog.setModal(true);

    auto* label = new QLabel("Type the screen-saver password to end the show:", &dialog);
    auto* field = new QLineEdit(&dialog);
    field->setObjectName(kPasswordFieldName);
    field->setEchoMode(QLineEdit::Password);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* layout = new QVBoxLayout(&dialog);
    if (!notice.empty()) {
        auto* noticeLabel =
            new QLabel(QString::fromUtf8(notice.data(), static_cast<int>(notice.size())), &dialog);
        noticeLabel->setObjectName(kPasswordNoticeName);
        noticeLabel->setWordWrap(true);
        layout->addWidget(noticeLabel);
    }
    layout->addWidget(label);
    layout->addWidget(field);
    layout->addWidget(buttons);
    field->setFocus();
    // Above the show, which holds the screen, with the keys.
    const platform::AboveTheShow above(dialog);

    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return field->text().toStdString();
}

} // namespace vimbrel
