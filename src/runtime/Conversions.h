#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vimbrel {

// The number at the start of a text, read the way the settings and the
// command line are read: blanks, tabs and line feeds are dropped everywhere
// first (" 2 45 7" is 2457); then an optional sign, digits and one decimal
// point, up to the first other character. "&H1F" is hexadecimal 31 and "&O17"
// octal 15. A text without a leading number gives 0.
double Val(std::string_view text);

// Real number to whole number, to the nearest, halves to even
// (0.5 -> 0, 1.5 -> 2, -2.5 -> -2). Out of range is the overflow error.
int16_t CInt(double value);
int32_t CLng(double value);

// "000" formatting: at least three digits, leading zeros, never cut.
std::string Format000(int value);

// ASCII upper case: names are upper-cased letter by letter, other bytes
// (UTF-8 sequences included) stay as they are.
std::string UpperAscii(std::string_view text);
std::string LowerAscii(std::string_view text);
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

// The text before the first NUL character, as a fixed-size text buffer
// filled by the system gives it back.
std::string_view BeforeFirstNul(std::string_view text);

// Every occurrence of find replaced, left to right and without overlap; the
// inserted text is never searched again, so "&" -> "&&" doubles each
// ampersand once. Case-sensitive. An empty find changes nothing.
std::string ReplaceText(std::string_view text, std::string_view find, std::string_view replacement);

} // namespace vimbrel
