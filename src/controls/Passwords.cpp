#include "controls/Passwords.h"

#include "controls/PasswordPrompt.h"
#include "platform/FileSystem.h"
#include "runtime/Error.h"

#include <sodium.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vimbrel {

namespace {

bool SodiumReady() {
    static const bool ready = ::sodium_init() >= 0;
    return ready;
}

std::optional<std::string> StoredHash(const std::filesystem::path& settingsDirectory) {
    try {
        std::optional<std::string> bytes =
            platform::ReadFileIfPresent(settingsDirectory / kPasswordFile);
        if (!bytes) {
            return std::nullopt;
        }
        std::string hash = bytes->substr(0, bytes->find_first_of("\r\n"));
        if (hash.rfind(crypto_pwhash_STRPREFIX, 0) != 0 || hash.size() >= crypto_pwhash_STRBYTES) {
            return std::nullopt;
        }
        return hash;
    } catch (const Error&) {
        return std::nullopt;
    }
}

} // namespace

void StoreScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view password) {
    const std::filesystem::path path = settingsDirectory / kPasswordFile;
    if (password.empty()) {
        ::unlink(path.c_str());
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
    // Made private before the hash goes in, so it is never readable by others.
    const mode_t previous = ::umask(077);
    try {
        platform::WriteFileReplacing(path, std::string(hash) + "\n", "StoreScreenSavePassword");
    } catch (...) {
        ::umask(previous);
        throw;
    }
    ::umask(previous);
    ::chmod(path.c_str(), 0600);
}

bool CheckScreenSavePassword(const std::filesystem::path& settingsDirectory,
                             std::string_view entered) {
    const std::optional<std::string> hash = StoredHash(settingsDirectory);
    if (!hash || !SodiumReady()) {
        return entered.empty();
    }
    return ::crypto_pwhash_str_verify(hash->c_str(), entered.data(), entered.size()) == 0;
}

bool VerifyScreenSavePwd(QWidget* owner, const std::filesystem::path& settingsDirectory) {
    const std::optional<std::string> entered = AskForPassword(owner);
    return entered && CheckScreenSavePassword(settingsDirectory, *entered);
}

} // namespace vimbrel
