#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace vimbrel {

// The screen-saver password: an Argon2id hash in the settings directory, in
// a file only the user can read. The password itself is never stored.
inline constexpr std::string_view kPasswordFile = "password";

// Stores the hash of a new password; an empty password removes the stored
// one. Raises the program's error when the file cannot be written.
void StoreScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view password);

// True when the entered text is the password. Where no valid hash is
// stored, only the empty entry is accepted: protection is never switched
// off by a lost file, and nobody is locked out by one either.
bool CheckScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view entered);

// Asks for the password over the show and checks it; false when it is wrong
// or the prompt is cancelled.
bool VerifyScreenSavePwd(QWidget* owner, const std::filesystem::path& settingsDirectory);

} // namespace vimbrel
