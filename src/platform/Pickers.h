#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace vimbrel::platform {

// The system's folder chooser. Tests answer it through their own
// implementation instead of waiting for a click.
class FolderPicker {
public:
    virtual ~FolderPicker() = default;
    // The chosen folder's path, or "" when the user cancels. The prompt is
    // shown above the folders.
    virtual std::string BrowseForFolder(QWidget* owner, std::string_view prompt) = 0;
};

// The system's colour chooser, likewise answered by tests.
class ColorPicker {
public:
    virtual ~ColorPicker() = default;
    // The chosen colour (red + 256 * green + 65536 * blue), or nothing when
    // the user cancels. The dialog opens on the starting colour.
    virtual std::optional<int32_t> ChooseColor(QWidget* owner, int32_t start) = 0;
};

// Qt's own folder dialog, folders only, opening at the user's home with the
// prompt shown inside it (in the label of this name).
inline constexpr const char* kFolderPromptName = "FolderPrompt";
class DialogFolderPicker final : public FolderPicker {
public:
    std::string BrowseForFolder(QWidget* owner, std::string_view prompt) override;
};

// Qt's own colour dialog.
class DialogColorPicker final : public ColorPicker {
public:
    std::optional<int32_t> ChooseColor(QWidget* owner, int32_t start) override;
};

// Colours as the settings keep them, red in the lowest byte.
int32_t ColorValueOf(int red, int green, int blue);
int RedOf(int32_t color);
int GreenOf(int32_t color);
int BlueOf(int32_t color);

} // namespace vimbrel::platform
