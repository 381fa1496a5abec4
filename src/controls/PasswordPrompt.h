#pragma once

#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace vimbrel {

// The modal prompt that asks for the screen-saver password above the show.
// Gives the entered text, or nothing when the viewer cancels. A notice, when
// given, is shown above the field (a damaged password file).
std::optional<std::string> AskForPassword(QWidget* owner, std::string_view notice = {});

// The prompt's object names, by which tests find and fill it.
inline constexpr const char* kPasswordPromptName = "PasswordPrompt";
inline constexpr const char* kPasswordFieldName = "PasswordField";
inline constexpr const char* kPasswordNoticeName = "PasswordNotice";

} // namespace vimbrel
