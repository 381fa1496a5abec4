#include "crash/ExceptionFilter.h"

#include "crash/FaultReportWindow.h"

#include <cerrno>
#include <unistd.h>

namespace vimbrel::crash {

namespace {

struct NamedCode {
    std::uint32_t code;
    const char* name;
};

constexpr NamedCode kNames[] = {
    {ExceptionCode::GuardPageViolation, "Guard Page Violation"},
    {ExceptionCode::DataTypeMisalignment, "Data Type Misalignment"},
    {ExceptionCode::Breakpoint, "Breakpoint"},
    {ExceptionCode::SingleStep, "Single Step"},
    {ExceptionCode::AccessViolation, "Access Violation"},
    {ExceptionCode::InPageError, "In Page Error"},
    {ExceptionCode::InvalidHandle, "Invalid Handle"},
    {ExceptionCode::IllegalInstruction, "Illegal Instruction"},
    {ExceptionCode::NonContinuableException, "Non Continuable Exception"},
    {ExceptionCode::InvalidDisposition, "Invalid Disposition"},
    {ExceptionCode::ArrayBoundsExceeded, "Array Bounds Exceeded"},
    {ExceptionCode::FloatDenormalOperand, "Float Denormal Operand"},
    {ExceptionCode::FloatDivideByZero, "Divide By Zero"},
    {ExceptionCode::FloatInexactResult, "Floating Point Inexact Result"},
    {ExceptionCode::FloatInvalidOperation, "Invalid Operation"},
    {ExceptionCode::FloatOverflow, "Float Overflow"},
    {ExceptionCode::FloatStackCheck, "Float Stack Check"},
    {ExceptionCode::FloatUnderflow, "Float Underflow"},
    {ExceptionCode::IntegerDivideByZero, "Integer Divide By Zero"},
    {ExceptionCode::IntegerOverflow, "Integer Overflow"},
    {ExceptionCode::PrivilegedInstruction, "Privileged Instruction"},
    {ExceptionCode::StackOverflow, "Stack Overflow"},
    {ExceptionCode::ControlCExit, "Control-C Exit"},
};

// A chain longer than this is taken to be corrupt (a record pointing back into
// the chain): the walk stops there rather than hang the dying process.
constexpr int kMaxChainLength = 64;

// Appends text to a fixed buffer, cutting it short when the buffer is full and
// keeping it NUL-terminated. Everything the fault handler formats goes through
// this, since it may not allocate.
class FixedWriter {
public:
    explicit FixedWriter(std::span<char> buffer) noexcept : m_buffer(buffer) { terminate(); }

    void append(char c) noexcept {
        if (m_length + 1 < m_buffer.size()) {
            m_buffer[m_length++] = c;
            terminate();
        }
    }

    void append(const char* text) noexcept {
        for (; *text != '\0'; ++text) {
            append(*text);
        }
    }

    void appendDecimal(int value) noexcept {
        char digits[12];
        int count = 0;
        // Negating INT_MIN overflows, so the digits come from the unsigned value.
        unsigned magnitude = value < 0 ? 0u - static_cast<unsigned>(value) : value;
        do {
            digits[count++] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) {
            append('-');
        }
        while (count > 0) {
            append(digits[--count]);
        }
    }

    void appendHex8(std::uint32_t value) noexcept {
        constexpr char kDigits[] = "0123456789ABCDEF";
        for (int shift = 28; shift >= 0; shift -= 4) {
            append(kDigits[(value >> shift) & 0xF]);
        }
    }

    std::size_t length() const noexcept { return m_length; }

private:
    void terminate() noexcept {
        if (m_length < m_buffer.size()) {
            m_buffer[m_length] = '\0';
        }
    }

    std::span<char> m_buffer;
    std::size_t m_length = 0;
};

const char* KnownName(std::uint32_t code) noexcept {
    for (const NamedCode& entry : kNames) {
        if (entry.code == code) {
            return entry.name;
        }
    }
    return nullptr;
}

void AppendName(FixedWriter& writer, std::uint32_t code) noexcept {
    if (const char* name = KnownName(code)) {
        writer.append(name);
        return;
    }
    writer.append("Unknown (&H");
    writer.appendHex8(code);
    writer.append(')');
}

void WriteAll(int fd, const char* text, std::size_t length) noexcept {
    while (length > 0) {
        const ssize_t written = ::write(fd, text, length);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return; // Nowhere left to report to; the process ends regardless.
        }
        text += written;
        length -= static_cast<std::size_t>(written);
    }
}

} // namespace

std::size_t ExceptionName(std::uint32_t code, std::span<char> buffer) noexcept {
    FixedWriter writer(buffer);
    AppendName(writer, code);
    return writer.length();
}

std::string ExceptionName(std::uint32_t code) {
    char buffer[kExceptionNameCapacity];
    const std::size_t length = ExceptionName(code, buffer);
    return std::string(buffer, length);
}

ExceptionRecord OriginalFault(const ExceptionPointers& pointers) noexcept {
    if (pointers.exceptionRecord == nullptr) {
        return {};
    }
    // Each record is copied before its successor is read, as the filter works
    // on its own copy and never writes through the chain.
    ExceptionRecord record = *pointers.exceptionRecord;
    for (int hops = 0; record.nestedRecord != nullptr && hops < kMaxChainLength; ++hops) {
        record = *record.nestedRecord;
    }
    return record;
}

std::size_t FormatFaultReport(const ExceptionPointers& pointers, std::span<char> buffer) noexcept {
    const ExceptionRecord original = OriginalFault(pointers);
    // Same text as FormatErrorReport, which cannot be used here because it
    // builds std::strings.
    FixedWriter writer(buffer);
    writer.append("Error ");
    writer.appendDecimal(ErrorNumber::ProcessorFault);
    writer.append(" in ");
    writer.append(kFilterSource);
    writer.append(": ");
    AppendName(writer, original.code);
    return writer.length();
}

Error FaultError(const ExceptionPointers& pointers) {
    return Error(ErrorNumber::ProcessorFault, kFilterSource,
                 ExceptionName(OriginalFault(pointers).code));
}

void MyExceptionFilter(const ExceptionPointers& pointers) noexcept {
    // One byte more than the report for its newline, so that the line goes
    // out in a single write and is not interleaved with other output.
    char line[kFaultReportCapacity + 1];
    const std::size_t length =
        FormatFaultReport(pointers, std::span<char>(line, kFaultReportCapacity));
    line[length] = '\n';
    WriteAll(STDERR_FILENO, line, length + 1);
    // Whoever started the program may have no terminal anyone reads.
    line[length] = '\0';
    StartReportWindow(line);
}

} // namespace vimbrel::crash
