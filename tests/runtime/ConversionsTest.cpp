// The number conversions the settings and the command line are read with.

#include "runtime/Conversions.h"

#include "runtime/Error.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace vimbrel {
namespace {

TEST(Val, ReadsTheLeadingNumberLeniently) {
    const std::pair<const char*, double> cases[] = {
        {"1234", 1234}, {" 1234", 1234}, {" 2 45 7", 2457}, {":1234", 0},   {"", 0},
        {"abc", 0},     {"12abc", 12},   {"-3.5", -3.5},    {"+7", 7},      {"1.2.3", 1.2},
        {"&H1F", 31},   {"&h1f", 31},    {"&O17", 15},      {"\t9\n9", 99}, {"- 4", -4},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_DOUBLE_EQ(Val(text), expected) << '"' << text << '"';
    }
}

TEST(WholeNumbers, RoundHalvesToEvenAndOverflowIsErrorSix) {
    EXPECT_EQ(CInt(0.5), 0);
    EXPECT_EQ(CInt(1.5), 2);
    EXPECT_EQ(CInt(2.5), 2);
    EXPECT_EQ(CInt(-2.5), -2);
    EXPECT_EQ(CInt(2.6), 3);
    EXPECT_EQ(CInt(32767.4), 32767);
    EXPECT_EQ(CInt(-32768), -32768);
    for (double outside : {32767.5, -32768.6, 1e30, std::numeric_limits<double>::infinity()}) {
        try {
            CInt(outside);
            FAIL() << outside;
        } catch (const Error& error) {
            EXPECT_EQ(error.number(), 6);
            EXPECT_EQ(error.description(), "Overflow");
        }
    }
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_THROW(CLng(2147483648.0), Error);
    EXPECT_THROW(ToInt16(32768), Error);
    EXPECT_EQ(ToInt16(-32768), -32768);
}

TEST(Texts, FormatAndCase) {
    EXPECT_EQ(Format000(12), "012");
    EXPECT_EQ(Format000(0), "000");
    EXPECT_EQ(Format000(1234), "1234");
    EXPECT_EQ(UpperAscii("/s é"), "/S é");
    EXPECT_TRUE(EqualsIgnoringAsciiCase("Folder1", "FOLDER1"));
    EXPECT_FALSE(EqualsIgnoringAsciiCase("Folder1", "Folder12"));
    EXPECT_EQ(FormatErrorReport(10000, "MyExceptionFilter", "Access Violation"),
              "Error 10000 in MyExceptionFilter: Access Violation");
}

} // namespace
} // namespace vimbrel

namespace vimbrel {
namespace {

// A library's failure reaches the user as the program's own error, in the
// program's own words.
TEST(LibraryFailures, BecomeTheProgramsOwnErrors) {
    std::vector<int> none;
    const auto numberOf = [](const std::function<void()>& fail) {
        try {
            fail();
        } catch (const std::exception& failure) {
            const Error error = ProgramErrorOf(failure, "Vimbrel");
            // The standard words first, never the library's.
            EXPECT_EQ(error.description().rfind(DescriptionOf(error.number()), 0), 0u);
            EXPECT_EQ(error.description().find("_M_"), std::string::npos);
            return error.number();
        }
        return 0;
    };
    EXPECT_EQ(numberOf([&] { (void)none.at(3); }), 9);
    EXPECT_EQ(DescriptionOf(9), "Subscript out of range");
    EXPECT_EQ(numberOf([] { throw std::bad_alloc(); }), 7);
    EXPECT_EQ(numberOf([] { throw std::overflow_error("x"); }), 6);
    EXPECT_EQ(numberOf([] {
                  throw std::filesystem::filesystem_error(
                      "x", "/gone", std::make_error_code(std::errc::no_such_file_or_directory));
              }),
              53);
    EXPECT_EQ(numberOf([] { throw std::runtime_error("vector::_M_range_check"); }), 51);
    EXPECT_EQ(DescriptionOf(51), "Internal error");
}

} // namespace
} // namespace vimbrel
