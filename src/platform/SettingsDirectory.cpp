#include "platform/SettingsDirectory.h"

#include "platform/FileSystem.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace vimbrel::platform {

namespace {

std::optional<std::string> Environment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::string(value);
}

std::filesystem::path HomeDirectory() {
    if (auto home = Environment("HOME")) {
        return *home;
    }
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
        return entry->pw_dir;
    }
    return "/";
}

} // namespace

std::filesystem::path SettingsDirectoryPath() {
    if (auto own = Environment("VIMBREL_HOME")) {
        return std::filesystem::absolute(*own);
    }
    if (auto config = Environment("XDG_CONFIG_HOME");
        config && std::filesystem::path(*config).is_absolute()) {
        return std::filesystem::path(*config) / "vimbrel";
    }
    return HomeDirectory() / ".config" / "vimbrel";
}

std::filesystem::path GetSettingsDirectory() {
    std::filesystem::path directory = SettingsDirectoryPath();
    CreateDirectories(directory, "GetWindowsDirectory");
    return directory;
}

} // namespace vimbrel::platform
