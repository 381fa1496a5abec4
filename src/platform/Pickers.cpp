#include "platform/Pickers.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>

namespace vimbrel::platform {

std::string DialogFolderPicker::BrowseForFolder(QWidget* owner, std::string_view prompt) {
    const QString text = QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size()));
    // It opens at the user's home: the working directory at this moment is
    // the settings folder, where no pictures live.
    QFileDialog dialog(owner, text, QDir::homePath());
    dialog.setFileMode(QFileDialog::Directory);
    // The program's own dialog, which has room for the prompt inside it.
    dialog.setOptions(QFileDialog::ShowDirsOnly | QFileDialog::DontUseNativeDialog);
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        auto* label = new QLabel(text, &dialog);
        label->setObjectName(kFolderPromptName);
        label->setWordWrap(true);
        grid->addWidget(label, grid->rowCount(), 0, 1, grid->columnCount());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    // Only folders of the file system are offered, so a path is all there is.
    return dialog.selectedFiles().first().toStdString();
}

std::optional<int32_t> DialogColorPicker::ChooseColor(QWidget* owner, int32_t start) {
    const QColor chosen =
        QColorDialog::getColor(QColor(RedOf(start), GreenOf(start), BlueOf(start)), owner);
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return ColorValueOf(chosen.red(), chosen.green(), chosen.blue());
}

int32_t ColorValueOf(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

int RedOf(int32_t color) {
    return color & 0xFF;
}

int GreenOf(int32_t color) {
    return (color >> 8) & 0xFF;
}

int BlueOf(int32_t color) {
    return (color >> 16) & 0xFF;
}

} // namespace vimbrel::platform
