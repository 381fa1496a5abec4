#include "platform/Registry.h"

#include "platform/ProfileFile.h"
#include "runtime/Conversions.h"

#include <cstdio>
#include <optional>

namespace vimbrel::platform {

namespace {

std::optional<std::string> RootName(uint32_t root) {
    switch (root) {
    case 0x80000000:
        return "HKEY_CLASSES_ROOT";
    case 0x80000001:
        return "HKEY_CURRENT_USER";
    case 0x80000002:
        return "HKEY_LOCAL_MACHINE";
    case 0x80000003:
        return "HKEY_USERS";
    case 0x80000004:
        return "HKEY_PERFORMANCE_DATA";
    case 0x80000005:
        return "HKEY_CURRENT_CONFIG";
    case 0x80000006:
        return "HKEY_DYN_DATA";
    default:
        return std::nullopt;
    }
}

std::optional<uint32_t> DwordOf(std::string_view text) {
    constexpr std::string_view prefix = "dword:";
    if (text.size() <= prefix.size() || !EqualsIgnoringAsciiCase(text.substr(0, 6), prefix)) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (char c : text.substr(prefix.size())) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            return std::nullopt;
        }
        value = value * 16 + static_cast<uint32_t>(digit);
    }
    return value;
}

} // namespace

std::string ReadRegistryString(ProfileFiles& profiles, uint32_t root, std::string_view subKey,
                               std::string_view valueName) {
    const std::optional<std::string> rootName = RootName(root);
    if (!rootName) {
        return "";
    }
    const std::string section = *rootName + "\\" + std::string(subKey);
    // The value buffer holds 255 bytes with the terminating zero.
    const std::string text =
        profiles.GetPrivateProfileString(section, valueName, "", kRegistryFile, 255);
    if (const std::optional<uint32_t> number = DwordOf(text)) {
        // The number goes through single precision and "000" formatting, and
        // only as many characters as the value's four bytes less one are
        // kept: three.
        const auto single = static_cast<float>(*number);
        char formatted[32];
        std::snprintf(formatted, sizeof formatted, "%03.0f", static_cast<double>(single));
        return std::string(formatted).substr(0, 3);
    }
    return text;
}

void WriteRegistryNumber(ProfileFiles& profiles, uint32_t root, std::string_view subKey,
                         std::string_view valueName, uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "dword:%08x", value);
    profiles.WritePrivateProfileString(*RootName(root) + "\\" + std::string(subKey), valueName,
                                       text, kRegistryFile);
}

} // namespace vimbrel::platform
