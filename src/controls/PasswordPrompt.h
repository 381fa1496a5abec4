#pragma once

#include <optional>
#include <string>

class QWidget;

namespace vimbrel {

// The modal prompt that asks for the screen-saver password above the show.
// Gives the entered text, or nothing when the viewer cancels.
std::optional<std::string> AskForPassword(QWidget* owner);

// The prompt's object names, by which tests find and fill it.
inline constexpr const char* kPasswordPromptName = "PasswordPrompt";
inline constexpr const char* kPasswordFieldName = "PasswordField";

} // namespace vimbrel
