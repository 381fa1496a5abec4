#include "runtime/Conversions.h"

#include "runtime/Error.h"

#include <cmath>
#include <cstdio>

namespace vimbrel {

namespace {

bool IsDroppedByVal(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

double ValOfRadix(std::string_view digits, int radix) {
    double result = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (radix == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (radix == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0 || digit >= radix) {
            break;
        }
        result = result * radix + digit;
    }
    return result;
}

} // namespace

double Val(std::string_view text) {
    std::string compact;
    compact.reserve(text.size());
    for (char c : text) {
        if (!IsDroppedByVal(c)) {
            compact += c;
        }
    }
    std::string_view s = compact;
    if (s.size() >= 2 && s[0] == '&') {
        const char radix = static_cast<char>(s[1] | 0x20);
        if (radix == 'h') {
            return ValOfRadix(s.substr(2), 16);
        }
        if (radix == 'o') {
            return ValOfRadix(s.substr(2), 8);
        }
    }
    double sign = 1;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        sign = s[i] == '-' ? -1 : 1;
        ++i;
    }
    double whole = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        whole = whole * 10 + (s[i] - '0');
    }
    double fraction = 0;
    if (i < s.size() && s[i] == '.') {
        double scale = 0.1;
        for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
            fraction += (s[i] - '0') * scale;
            scale /= 10;
        }
    }
    return sign * (whole + fraction);
}

int16_t CInt(double value) {
    if (!std::isfinite(value)) {
        throw MakeError(ErrorNumber::Overflow, "Vimbrel");
    }
    // nearbyint rounds halves to even in the default rounding mode.
    return ToInt16(static_cast<int64_t>(std::nearbyint(std::fmax(std::fmin(value, 1e12), -1e12))));
}

int32_t CLng(double value) {
    if (!std::isfinite(value)) {
        throw MakeError(ErrorNumber::Overflow, "Vimbrel");
    }
    return ToInt32(static_cast<int64_t>(std::nearbyint(std::fmax(std::fmin(value, 1e15), -1e15))));
}

std::string Format000(int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%03d", value);
    return buffer;
}

std::string UpperAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return result;
}

std::string LowerAscii(std::string_view text) {
    std::string result(text);
    for (char& c : result) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return result;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

std::string_view BeforeFirstNul(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

std::string ReplaceText(std::string_view text, std::string_view find,
                        std::string_view replacement) {
    if (find.empty()) {
        return std::string(text);
    }
    std::string result;
    std::size_t position = 0;
    for (std::size_t at = text.find(find); at != std::string_view::npos;
         at = text.find(find, position)) {
        result.append(text.substr(position, at - position));
        result.append(replacement);
        position = at + find.size();
    }
    result.append(text.substr(position));
    return result;
}

} // namespace vimbrel
