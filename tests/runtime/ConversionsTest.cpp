// The conversions the settings and the command line are read with, and the
// program's errors, its own and those a library raised.

#include "runtime/Conversions.h"

#include "runtime/Error.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>

namespace vimbrel {
namespace {

// Numbers read the lenient way and rounded halves to even; texts as the
// settings files and the command line need them; the program's errors.
TEST(Conversions, NumbersTextsAndTheProgramsOwnErrors) {
    std::ostringstream read;
    for (const char* text : {"1234", " 2 45 7", ":1234", "", "12abc", "-3.5", "+7", "1.2.3", "&H1F",
                             "&h1f", "&O17", "\t9\n9", "- 4"}) {
        read << Val(text) << " ";
    }
    for (const double value : {0.5, 1.5, 2.5, -2.5, 2.6, 32767.4, -32768.0}) {
        read << CInt(value) << " ";
    }
    read << CLng(2147483647.0) << " " << ToInt16(-32768);
    EXPECT_EQ(read.str(), "1234 2457 0 0 12 -3.5 7 1.2 31 31 15 99 -4 0 2 2 -2 3 32767 -32768 "
                          "2147483647 -32768");

    EXPECT_EQ(Format000(12) + Format000(0) + Format000(1234), "0120001234");
    EXPECT_EQ(UpperAscii("/s é"), "/S é");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Folder1", "FOLDER1") &&
                !EqualsIgnoringAsciiCase("Folder1", "Folder12"));
    // Every occurrence once, with regard to case; the inserted text is not
    // searched again.
    std::string replaced;
    // clang-format off
    for (const auto& [text, find, replacement] : {std::tuple{"v000.ini", ".ini", ".bak"},
             {"v000.INI", ".ini", ".bak"}, {"a&b&c", "&", "&&"}, {"&&", "&", "&&"}, {"aaa", "aa", "b"},
             {"x.ini.ini", ".ini", ".bak"}, {"", "a", "b"}, {"abc", "", "x"}}) {
        // clang-format on
        replaced += ReplaceText(text, find, replacement) + "|";
    }
    EXPECT_EQ(replaced, "v000.bak|v000.INI|a&&b&&c|&&&&|ba|x.bak.bak||abc|");

    // Numbers out of range are the overflow error; a library's failure
    // reaches the user as the program's own error, in the program's own words.
    const auto gone = std::make_error_code(std::errc::no_such_file_or_directory);
    // clang-format off
    const std::pair<std::function<void()>, int> failures[] = {
        {[] { CInt(32767.5); }, 6}, {[] { CInt(-32768.6); }, 6}, {[] { CInt(1e30); }, 6},
        {[] { CInt(INFINITY); }, 6}, {[] { CLng(2147483648.0); }, 6}, {[] { ToInt16(32768); }, 6},
        {[] { (void)std::vector<int>().at(3); }, 9}, {[] { throw std::bad_alloc(); }, 7},
        {[] { throw std::overflow_error("x"); }, 6},
        {[&] { throw std::filesystem::filesystem_error("x", "/gone", gone); }, 53},
        {[] { throw std::runtime_error("vector::_M_range_check"); }, 51}};
    // clang-format on
    for (const auto& [fail, number] : failures) {
        try {
            fail();
            ADD_FAILURE() << "no error " << number;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), number);
            EXPECT_EQ(error.description(), DescriptionOf(number));
        } catch (const std::exception& failure) {
            const Error error = ProgramErrorOf(failure, "Vimbrel");
            EXPECT_EQ(error.number(), number) << failure.what();
            // The standard words first, never the library's.
            EXPECT_EQ(error.description().rfind(DescriptionOf(number), 0), 0u);
            EXPECT_EQ(error.description().find("_M_"), std::string::npos);
        }
    }
    EXPECT_EQ(DescriptionOf(6) + "/" + DescriptionOf(9) + "/" + DescriptionOf(51),
              "Overflow/Subscript out of range/Internal error");
}

} // namespace
} // namespace vimbrel
