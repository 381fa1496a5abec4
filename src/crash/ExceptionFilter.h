#pragma once

#include "runtime/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace vimbrel::crash {

// Codes of the processor faults the program can name. They are 32-bit values
// whose top bits carry the severity; a code is compared as the whole 32-bit
// pattern, so it does not matter whether a caller holds it signed or unsigned.
namespace ExceptionCode {
inline constexpr std::uint32_t GuardPageViolation = 0x80000001;
inline constexpr std::uint32_t DataTypeMisalignment = 0x80000002;
inline constexpr std::uint32_t Breakpoint = 0x80000003;
inline constexpr std::uint32_t SingleStep = 0x80000004;
inline constexpr std::uint32_t AccessViolation = 0xC0000005;
inline constexpr std::uint32_t InPageError = 0xC0000006;
inline constexpr std::uint32_t InvalidHandle = 0xC0000008;
inline constexpr std::uint32_t IllegalInstruction = 0xC000001D;
inline constexpr std::uint32_t NonContinuableException = 0xC0000025;
inline constexpr std::uint32_t InvalidDisposition = 0xC0000026;
inline constexpr std::uint32_t ArrayBoundsExceeded = 0xC000008C;
inline constexpr std::uint32_t FloatDenormalOperand = 0xC000008D;
inline constexpr std::uint32_t FloatDivideByZero = 0xC000008E;
inline constexpr std::uint32_t FloatInexactResult = 0xC000008F;
inline constexpr std::uint32_t FloatInvalidOperation = 0xC0000090;
inline constexpr std::uint32_t FloatOverflow = 0xC0000091;
inline constexpr std::uint32_t FloatStackCheck = 0xC0000092;
inline constexpr std::uint32_t FloatUnderflow = 0xC0000093;
inline constexpr std::uint32_t IntegerDivideByZero = 0xC0000094;
inline constexpr std::uint32_t IntegerOverflow = 0xC0000095;
inline constexpr std::uint32_t PrivilegedInstruction = 0xC0000096;
inline constexpr std::uint32_t StackOverflow = 0xC00000FD;
inline constexpr std::uint32_t ControlCExit = 0xC000013A;
} // namespace ExceptionCode

// Set in a record's flags when the fault was raised while another one was
// being handled; its nestedRecord then points at that one.
inline constexpr std::uint32_t kNestedFaultFlag = 0x10;

// The source named in the report of an untrapped fault.
inline constexpr const char* kFilterSource = "MyExceptionFilter";

// One fault. A fault raised while another is being handled points at the
// earlier one, so the records form a chain whose last record is the fault
// that started it.
struct ExceptionRecord {
    std::uint32_t code = 0;
    std::uint32_t flags = 0;
    const ExceptionRecord* nestedRecord = nullptr; // null when none
    const void* address = nullptr;                 // the address the fault concerns
};

// What the filter receives: the newest record of the chain and, when the
// fault came from a signal, the faulting thread's machine context.
struct ExceptionPointers {
    const ExceptionRecord* exceptionRecord = nullptr;
    const void* contextRecord = nullptr;
};

// Room for any name ExceptionName gives, with its terminating NUL.
inline constexpr std::size_t kExceptionNameCapacity = 32;
// Room for any report FormatFaultReport gives, with its terminating NUL.
inline constexpr std::size_t kFaultReportCapacity = 96;

// The name of a fault code ("Access Violation"); a code the program does not
// know is "Unknown (&H" + its eight upper-case hex digits + ")".
std::string ExceptionName(std::uint32_t code);

// The same name, written NUL-terminated into buffer (cut short if buffer is
// smaller than kExceptionNameCapacity). Returns the length written, without
// the NUL. Async-signal-safe: no allocation, no stdio.
std::size_t ExceptionName(std::uint32_t code, std::span<char> buffer) noexcept;

// The fault that started the chain pointers leads to: a copy of its last
// record. A missing record reads as a zero record.
ExceptionRecord OriginalFault(const ExceptionPointers& pointers) noexcept;

// The report of the untrapped error the fault becomes, the same text as
// FormatErrorReport(10000, "MyExceptionFilter", name of the original fault),
// written NUL-terminated into buffer. Returns the length written. Async-signal-
// safe, so the fault handler can build it on its alternate stack.
std::size_t FormatFaultReport(const ExceptionPointers& pointers, std::span<char> buffer) noexcept;

// The error the fault becomes, for callers outside a signal handler.
Error FaultError(const ExceptionPointers& pointers);

// Reports a fault no code handled: writes the report line of its error to
// standard error. Async-signal-safe. It does not end the process: its caller,
// the fault handler, does that by re-raising the signal, so that whoever
// started the program sees from the exit status that it crashed.
void MyExceptionFilter(const ExceptionPointers& pointers) noexcept;

// Installs the process-wide handler for faults no code handles. Start-up
// calls it first thing, on the main thread, before any other thread exists;
// calling it again does nothing.
void InstallExceptionFilter();

} // namespace vimbrel::crash
