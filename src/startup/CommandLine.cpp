#include "startup/CommandLine.h"

#include "runtime/Conversions.h"

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

} // namespace vimbrel
