#include "startup/CommandLine.h"

#include "runtime/Conversions.h"

#include <charconv>

namespace vimbrel {

std::string JoinArguments(int argc, const char* const* argv) {
    std::string line;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) {
            line += ' ';
        }
        line += argv[i];
    }
    return line;
}

std::string RunModeOf(std::string_view commandLine) {
    std::string mode = UpperAscii(commandLine.substr(0, 2));
    return mode.empty() ? "/C" : mode;
}

int32_t ParentWindowOf(std::string_view commandLine) {
    return CLng(Val(commandLine.size() > 2 ? commandLine.substr(2) : std::string_view()));
}

namespace {

// A window id as lockers write it; nothing for text that is not one.
std::optional<uint32_t> WindowIdOf(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0) {
        return std::nullopt;
    }
    return value;
}

LockerTarget TargetOf(std::string_view text, std::string_view whereFrom) {
    LockerTarget target;
    if (const std::optional<uint32_t> window = WindowIdOf(text)) {
        target.window = *window;
    } else {
        target.error = "The window id \"" + std::string(text) + "\" given by " +
                       std::string(whereFrom) + " is not a window id.";
    }
    return target;
}

} // namespace

std::optional<LockerTarget> LockerTargetOf(const std::vector<std::string_view>& arguments,
                                           const char* lockerWindow) {
    if (arguments.empty()) {
        return std::nullopt;
    }
    const std::string_view first = arguments[0];
    std::optional<LockerTarget> target;
    if (first == "-root" && arguments.size() == 1) {
        target = LockerTarget{};
    } else if ((first == "-window-id" || first == "--window-id") && arguments.size() == 2) {
        target = TargetOf(arguments[1], "the command line");
    } else if (first.starts_with("--window-id=") && arguments.size() == 1) {
        target = TargetOf(first.substr(first.find('=') + 1), "the command line");
    }
    if (target && lockerWindow != nullptr && *lockerWindow != '\0') {
        target = TargetOf(lockerWindow, "XSCREENSAVER_WINDOW");
    }
    return target;
}

} // namespace vimbrel
