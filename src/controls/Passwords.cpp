#include "controls/Passwords.h"

#include "controls/PasswordPrompt.h"
#include "platform/FileSystem.h"
#include "runtime/Error.h"

#include <sodium.h>

namespace vimbrel {

namespace {

bool SodiumReady() {
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

struct ReadHash {
    StoredPassword state = StoredPassword::None;
    std::string hash;
};

ReadHash ReadStoredHash(const std::filesystem::path& settingsDirectory) {
    std::optional<std::string> bytes;
    try {
        bytes = platform::ReadFileIfPresent(settingsDirectory / kPasswordFile);
    } catch (const Error&) {
        // A file that is there but cannot be read is no proof that no
        // password was set.
        return {StoredPassword::Damaged, {}};
    }
    if (!bytes) {
        return {};
    }
    std::string hash = bytes->substr(0, bytes->find_first_of("\r\n"));
    if (hash.rfind(crypto_pwhash_STRPREFIX, 0) != 0 || hash.size() >= crypto_pwhash_STRBYTES) {
        return {StoredPassword::Damaged, {}};
    }
    return {StoredPassword::Set, std::move(hash)};
}

} // namespace

StoredPassword StoredPasswordState(const std::filesystem::path& settingsDirectory) {
    return ReadStoredHash(settingsDirectory).state;
}

void StoreScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view password) {
    const std::filesystem::path path = settingsDirectory / kPasswordFile;
    if (password.empty()) {
        platform::RemoveFileIfPresent(path, "StoreScreenSavePassword");
        return;
    }
    if (!SodiumReady()) {
        throw Error(ErrorNumber::PathFileAccessError, "StoreScreenSavePassword",
                    "The password library could not start");
    }
    char hash[crypto_pwhash_STRBYTES];
    if (::crypto_pwhash_str(hash, password.data(), password.size(),
                            crypto_pwhash_OPSLIMIT_INTERACTIVE,
                            crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
        throw Error(ErrorNumber::PathFileAccessError, "StoreScreenSavePassword",
                    "Not enough memory to protect the password");
    }
    platform::WriteFileReplacing(path, std::string(hash) + "\n", "StoreScreenSavePassword",
                                 platform::FileAccess::Private);
}

bool CheckScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view entered) {
    const ReadHash stored = ReadStoredHash(settingsDirectory);
    switch (stored.state) {
    case StoredPassword::None:
        return entered.empty();
    case StoredPassword::Damaged:
        return false;
    case StoredPassword::Set:
        break;
    }
    return SodiumReady() &&
           ::crypto_pwhash_str_verify(stored.hash.c_str(), entered.data(), entered.size()) == 0;
}

std::string DamagedPasswordNotice(const std::filesystem::path& settingsDirectory) {
    return "The stored password is damaged, so no password is accepted. To reset it, remove " +
           (settingsDirectory / kPasswordFile).string() +
           " (from another session) and set a new password with \"vimbrel /A\".";
}

bool VerifyScreenSavePwd(QWidget* owner, const std::filesystem::path& settingsDirectory) {
    const std::string notice = StoredPasswordState(settingsDirectory) == StoredPassword::Damaged
                                   ? DamagedPasswordNotice(settingsDirectory)
                                   : std::string();
    const std::optional<std::string> entered = AskForPassword(owner, notice);
    return entered && CheckScreenSavePassword(settingsDirectory, *entered);
}

} // namespace vimbrel
