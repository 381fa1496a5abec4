#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vimbrel {

// The command line as one text: the arguments joined by blanks, as the
// screen-saver switches were always given ("/p 1234").
std::string JoinArguments(int argc, const char* const* argv);

// The mode: the first two characters, upper-cased; "/C" for an empty line.
std::string RunModeOf(std::string_view commandLine);

// The window handle after the switch, read as a number the lenient way:
// "/p 1234" gives 1234, "/p:1234" gives 0, "/p 12 34" gives 1234.
// Out of the 32-bit range is the overflow error.
int32_t ParentWindowOf(std::string_view commandLine);

} // namespace vimbrel
