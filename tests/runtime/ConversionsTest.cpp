// The conversions the settings and the command line are read with, and the
// program's errors, its own and those a library raised.

#include "runtime/Conversions.h"

#include "runtime/Error.h"

#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

TEST(Conversions, NumbersAreReadLenientlyAndRoundedHalvesToEven) {
    // clang-format off
    const std::pair<const char*, double> texts[] = {
        {"1234", 1234}, {" 2 45 7", 2457}, {":1234", 0}, {"", 0}, {"12abc", 12}, {"-3.5", -3.5},
        {"+7", 7}, {"1.2.3", 1.2}, {"&H1F", 31}, {"&h1f", 31}, {"&O17", 15}, {"\t9\n9", 99},
        {"- 4", -4}};
    const std::pair<double, int16_t> rounded[] = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {2.6, 3}, {32767.4, 32767}, {-32768, -32768}};
    // clang-format on
    for (const auto& [text, expected] : texts) {
        EXPECT_DOUBLE_EQ(Val(text), expected) << '"' << text << '"';
    }
    for (const auto& [value, expected] : rounded) {
        EXPECT_EQ(CInt(value), expected) << value;
    }
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_EQ(ToInt16(-32768), -32768);
}

TEST(Conversions, Texts) {
    EXPECT_EQ(Format000(12) + Format000(0) + Format000(1234), "0120001234");
    EXPECT_EQ(UpperAscii("/s é"), "/S é");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Folder1", "FOLDER1"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Folder1", "Folder12"));
    EXPECT_EQ(FormatErrorReport(10000, "MyExceptionFilter", "Access Violation"),
              "Error 10000 in MyExceptionFilter: Access Violation");
    // Every occurrence once, with regard to case; the inserted text is not
    // searched again.
    // clang-format off
    const std::tuple<const char*, const char*, const char*, const char*> replaced[] = {
        {"v000.ini", ".ini", ".bak", "v000.bak"}, {"v000.INI", ".ini", ".bak", "v000.INI"},
        {"a&b&c", "&", "&&", "a&&b&&c"}, {"&&", "&", "&&", "&&&&"}, {"aaa", "aa", "b", "ba"},
        {"x.ini.ini", ".ini", ".bak", "x.bak.bak"}, {"", "a", "b", ""}, {"abc", "", "x", "abc"}};
    // clang-format on
    for (const auto& [text, find, replacement, expected] : replaced) {
        EXPECT_EQ(ReplaceText(text, find, replacement), expected) << text << " " << find;
    }
}

// Numbers out of range are the overflow error; a library's failure reaches
// the user as the program's own error, in the program's own words.
TEST(Errors, OverflowAndLibraryFailuresBecomeTheProgramsOwnErrors) {
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
