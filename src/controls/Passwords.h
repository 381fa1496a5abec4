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

// What the settings directory holds in place of a password.
enum class StoredPassword {
    None,    // no file: no password was ever set, or it was cleared
    Set,     // a valid hash
    Damaged, // a file that is no hash, or that cannot be read
};

StoredPassword StoredPasswordState(const std::filesystem::path& settingsDirectory);

// Stores the hash of a new password, replacing the old file in one step; an
// empty password removes the stored one. Raises the program's error when
// the file cannot be written; the old password then stays as it was.
void StoreScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view password);

// True when the entered text is the password. With no file, only the empty
// entry is accepted; a damaged file accepts nothing, since a file someone
// has spoiled must never end a protected show.
bool CheckScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view entered);

// What the prompts say about a damaged password file, and how to mend it.
std::string DamagedPasswordNotice(const std::filesystem::path& settingsDirectory);

// Asks for the password over the show and checks it; false when it is wrong
// or the prompt is cancelled. The prompt always appears, also when no
// password or a damaged one is stored.
bool VerifyScreenSavePwd(QWidget* owner, const std::filesystem::path& settingsDirectory);

} // namespace vimbrel
