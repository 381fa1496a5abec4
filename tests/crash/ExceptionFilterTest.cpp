#include "crash/ExceptionFilter.h"

#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace vimbrel::crash {
namespace {

struct NameCase {
    std::uint32_t code;
    const char* name;
};

// Written out by hand from the codes' published values, so that a wrong
// constant in the program shows up here.
const NameCase kNamedCodes[] = {
    {0x80000001, "Guard Page Violation"},
    {0x80000002, "Data Type Misalignment"},
    {0x80000003, "Breakpoint"},
    {0x80000004, "Single Step"},
    {0xC0000005, "Access Violation"},
    {0xC0000006, "In Page Error"},
    {0xC0000008, "Invalid Handle"},
    {0xC000001D, "Illegal Instruction"},
    {0xC0000025, "Non Continuable Exception"},
    {0xC0000026, "Invalid Disposition"},
    {0xC000008C, "Array Bounds Exceeded"},
    {0xC000008D, "Float Denormal Operand"},
    {0xC000008E, "Divide By Zero"},
    {0xC000008F, "Floating Point Inexact Result"},
    {0xC0000090, "Invalid Operation"},
    {0xC0000091, "Float Overflow"},
    {0xC0000092, "Float Stack Check"},
    {0xC0000093, "Float Underflow"},
    {0xC0000094, "Integer Divide By Zero"},
    {0xC0000095, "Integer Overflow"},
    {0xC0000096, "Privileged Instruction"},
    {0xC00000FD, "Stack Overflow"},
    {0xC000013A, "Control-C Exit"},
    // Codes next to known ones, and the corners of the 32-bit range.
    {0x00001234, "Unknown (&H00001234)"},
    {0xE0000001, "Unknown (&HE0000001)"},
    {0x00000000, "Unknown (&H00000000)"},
    {0xFFFFFFFF, "Unknown (&HFFFFFFFF)"},
    {0xC0000007, "Unknown (&HC0000007)"},
    {0x40000005, "Unknown (&H40000005)"},
    {0xC00000FE, "Unknown (&HC00000FE)"},
    {0x0000ABCD, "Unknown (&H0000ABCD)"},
};

TEST(ExceptionNameTest, NamesEveryCodeInBothForms) {
    for (const NameCase& entry : kNamedCodes) {
        SCOPED_TRACE(entry.name);
        EXPECT_EQ(ExceptionName(entry.code), entry.name);

        char buffer[kExceptionNameCapacity];
        std::memset(buffer, 'x', sizeof buffer);
        const std::size_t length = ExceptionName(entry.code, buffer);
        EXPECT_EQ(length, std::strlen(entry.name));
        EXPECT_STREQ(buffer, entry.name);
    }
}

TEST(ExceptionNameTest, ASmallBufferGetsATerminatedPrefix) {
    struct Case {
        std::size_t size;
        const char* expected;
    };
    const Case cases[] = {{1, ""}, {7, "Access"}, {17, "Access Violation"}};
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.size);
        char buffer[kExceptionNameCapacity];
        std::memset(buffer, 'x', sizeof buffer);
        const std::size_t length =
            ExceptionName(ExceptionCode::AccessViolation, std::span<char>(buffer, entry.size));
        EXPECT_EQ(length, std::strlen(entry.expected));
        EXPECT_STREQ(buffer, entry.expected);
        EXPECT_EQ(buffer[entry.size], 'x'); // nothing written past the end
    }
    EXPECT_EQ(ExceptionName(ExceptionCode::AccessViolation, std::span<char>()), 0u);
}

// Three faults, each raised while reporting the one before: the walk must end
// at the first, whatever the records in between say.
TEST(OriginalFaultTest, WalksAChainBackToTheFirstFault) {
    int where = 0;
    ExceptionRecord first{ExceptionCode::IntegerDivideByZero, 0, nullptr, &where};
    ExceptionRecord second{ExceptionCode::AccessViolation, kNestedFaultFlag, &first, nullptr};
    ExceptionRecord third{ExceptionCode::StackOverflow, kNestedFaultFlag, &second, nullptr};
    const ExceptionPointers pointers{&third, nullptr};

    const ExceptionRecord original = OriginalFault(pointers);
    EXPECT_EQ(original.code, ExceptionCode::IntegerDivideByZero);
    EXPECT_EQ(original.address, &where);
    EXPECT_EQ(original.nestedRecord, nullptr);

    const Error error = FaultError(pointers);
    EXPECT_EQ(error.number(), 10000);
    EXPECT_EQ(error.source(), "MyExceptionFilter");
    EXPECT_EQ(error.description(), "Integer Divide By Zero");

    // The records themselves are left as they were.
    EXPECT_EQ(third.nestedRecord, &second);
    EXPECT_EQ(second.nestedRecord, &first);
}

TEST(OriginalFaultTest, ASingleOrMissingRecordStandsForItself) {
    const ExceptionRecord alone{ExceptionCode::Breakpoint, 0, nullptr, nullptr};
    EXPECT_EQ(OriginalFault(ExceptionPointers{&alone, nullptr}).code, ExceptionCode::Breakpoint);
    EXPECT_EQ(FaultError(ExceptionPointers{}).description(), "Unknown (&H00000000)");
}

TEST(OriginalFaultTest, ACorruptChainThatLoopsStillEnds) {
    ExceptionRecord a{ExceptionCode::AccessViolation, 0, nullptr, nullptr};
    ExceptionRecord b{ExceptionCode::StackOverflow, 0, &a, nullptr};
    a.nestedRecord = &b;
    const ExceptionRecord original = OriginalFault(ExceptionPointers{&a, nullptr});
    EXPECT_TRUE(original.code == ExceptionCode::AccessViolation ||
                original.code == ExceptionCode::StackOverflow);
}

// The handler builds its report without std::string; it must still say
// exactly what the program says of any other untrapped error.
TEST(FaultReportTest, MatchesTheUsualReportOfAnUntrappedError) {
    for (const NameCase& entry : kNamedCodes) {
        SCOPED_TRACE(entry.name);
        const ExceptionRecord record{entry.code, 0, nullptr, nullptr};
        const ExceptionPointers pointers{&record, nullptr};

        char buffer[kFaultReportCapacity];
        const std::size_t length = FormatFaultReport(pointers, buffer);
        const std::string expected = FormatErrorReport(10000, "MyExceptionFilter", entry.name);
        EXPECT_EQ(std::string(buffer, length), expected);
        EXPECT_EQ(std::strlen(buffer), length);
        EXPECT_EQ(FormatErrorReport(FaultError(pointers)), expected);
    }
}

} // namespace
} // namespace vimbrel::crash
