// Fuzz target for the M3U reader: any bytes at all must read without a
// fault, and every entry that comes out must be a local path the system can
// take: absolute (the list's folder is), without a NUL byte.
//
// The bytes are read twice: as they are, and with each byte from 0xE0 up
// replaced by a piece of list syntax, so that the fuzzer meets file
// addresses, drives and escapes without having to spell them.

#include "playlists/M3uPlayList.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPieces[32] = {
    "file://",
    "file:/",
    "FILE:///",
    "localhost",
    "http://",
    "mms://",
    "x+y.z://",
    "%",
    "%2F",
    "%00",
    "%C3%A9",
    "\\",
    "\\\\",
    "C:\\",
    "d:/",
    "/",
    "#EXTM3U",
    "#EXTINF",
    "\r\n",
    "\r",
    "\n",
    " \t",
    "\xEF\xBB\xBF",
    "a.mp3",
    "..",
    "://",
    ":",
    "\xFF",
    std::string_view("\0", 1),
    "?#",
    "&amp;",
    "/C:/",
};

void Check(std::string_view text) {
    // A folder that does not exist: the backslash rule looks names up, and
    // must find nothing here.
    for (const std::string& entry : vimbrel::ParseM3u(text, "/nonexistent-fuzz-folder")) {
        if (entry.empty() || entry.front() != '/' || entry.find('\0') != std::string::npos) {
            std::abort();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text);
    std::string pieces;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xE0) {
            pieces += kPieces[byte - 0xE0];
        } else {
            pieces += c;
        }
    }
    Check(pieces);
    return 0;
}
