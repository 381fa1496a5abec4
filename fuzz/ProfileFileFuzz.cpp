// Fuzz target for the profile-file reader and in-place writer: any bytes at
// all must parse without a fault, and a key written into any file must
// read back as written.
//
// Input layout: byte 0 picks the section, byte 1 the key, the bytes up to
// the first 0xFF are the value, the rest is the file.

#include "platform/ProfileFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kNames[] = {"Options",  "Folder1", "a",       "",
                                       "key_Beep", "Set",     "Folders", "LastFileName"};

std::string_view Pick(uint8_t byte) {
    return kNames[byte % std::size(kNames)];
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    using namespace vimbrel::platform;
    if (size < 2) {
        return 0;
    }
    const std::string_view section = Pick(data[0]);
    const std::string_view key = Pick(data[1]);
    const std::string_view rest(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t split = rest.find('\xFF');
    const std::string_view value = rest.substr(0, split);
    const std::string_view file = split == std::string_view::npos ? "" : rest.substr(split + 1);

    // Reading anything is safe.
    for (const ProfileLine& line : ParseProfile(file)) {
        if (line.begin > line.contentEnd || line.contentEnd > line.end || line.end > file.size()) {
            std::abort();
        }
    }
    if (auto found = FindProfileValue(file, section, key)) {
        (void)ProfileReaderResult(*found, 254);
        (void)ProfileNumber(*found);
    }

    // Writing a key and reading it back gives the value (with line breaks
    // made harmless), and the write is not repeated by a second one.
    const std::string written = WithProfileKey(file, section, key, value);
    std::string expected(TrimBlanks(value));
    for (char& c : expected) {
        if (c == '\r' || c == '\n') {
            c = '?';
        }
    }
    expected = std::string(TrimBlanks(expected));
    const auto readBack = FindProfileValue(written, section, key);
    if (!readBack || *readBack != expected) {
        std::abort();
    }
    if (WithProfileKey(written, section, key, value) != written) {
        std::abort();
    }
    return 0;
}
