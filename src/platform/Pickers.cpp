#include "platform/Pickers.h"

#include <QColorDialog>
#include <QFileDialog>

namespace vimbrel::platform {

std::string DialogFolderPicker::BrowseForFolder(QWidget* owner, std::string_view prompt) {
    const QString chosen = QFileDialog::getExistingDirectory(
        owner, QString::fromUtf8(prompt.data(), static_cast<qsizetype>(prompt.size())), QString(),
        QFileDialog::ShowDirsOnly);
    // Only folders of the file system are offered, so a path is all there is.
    return chosen.toStdString();
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
