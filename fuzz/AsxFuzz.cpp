// Fuzz target for the ASX reader: any bytes at all must read without a
// fault, either as a list or as the reader's own error, and every entry
// that comes out must be a local path the system can take: absolute (the
// list's folder is), without a NUL byte.
//
// The bytes are read twice: as they are, and after an "<asx>" start tag
// with each byte from 0xE0 up replaced by a piece of ASX markup, so that the
// fuzzer spends its time inside lists rather than on spelling element names.

#include "playlists/AsxPlayList.h"
#include "runtime/Error.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::string_view kPieces[32] = {
    "<entry>",
    "</entry>",
    "<ref href=",
    "<REF HREF=\"",
    "<entryref href='",
    "/>",
    "\"",
    "'",
    ">",
    "<!--",
    "-->",
    "<![CDATA[",
    "]]>",
    "<?",
    "?>",
    "<!DOCTYPE x [",
    "]>",
    "<!ENTITY e '",
    "&amp;",
    "&#x",
    "&#",
    ";",
    "</asx>",
    "<asx>",
    "file:///",
    "http://",
    "\\",
    "a.mp3",
    "=",
    " ",
    "\xFF\xFE",
    "<",
};

void Check(std::string_view text) {
    try {
        for (const std::string& entry : vimbrel::ParseAsx(text, "/nonexistent-fuzz-folder")) {
            if (entry.empty() || entry.front() != '/' || entry.find('\0') != std::string::npos) {
                std::abort();
            }
        }
    } catch (const vimbrel::Error&) {
        // Not a list: the one failure the reader may report.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Check(text);
    std::string markup = "<asx>";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0xE0) {
            markup += kPieces[byte - 0xE0];
        } else {
            markup += c;
        }
    }
    Check(markup);
    return 0;
}
