#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vimbrel::platform {

class ProfileFiles;

// The few system settings the show reads are kept in registry.ini in the
// settings directory: one section per key path, such as
// [HKEY_CURRENT_USER\Control Panel\Desktop], one line per value. A value
// written "dword:" followed by eight hexadecimal digits is a 32-bit number;
// anything else is text.
inline constexpr std::string_view kRegistryFile = "registry.ini";
inline constexpr uint32_t kCurrentUserRoot = 0x80000001;

// A registry value as the show reads it: a 32-bit number as its decimal
// text with at least three digits, of which the first three are kept (1 is
// "001", 1234 is "123"); a text value as it stands, at most 254 bytes; ""
// for an unknown root, a missing key or value, or any failure.
std::string ReadRegistryString(ProfileFiles& profiles, uint32_t root, std::string_view subKey,
                               std::string_view valueName);

// Writes a 32-bit number value (the password switch).
void WriteRegistryNumber(ProfileFiles& profiles, uint32_t root, std::string_view subKey,
                         std::string_view valueName, uint32_t value);

} // namespace vimbrel::platform
