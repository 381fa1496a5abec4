// The report of a processor fault no code handled: how a signal becomes a
// named fault, how a chain of faults leads back to the first, and what a real
// faulting process writes and how it ends.

#include "crash/ExceptionFilter.h"
#include "crash/FaultSignals.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace vimbrel::crash {
namespace {

// Codes written out by hand from their published values, so that a wrong
// constant in the program shows up here; then codes next to known ones and
// the corners of the 32-bit range.
TEST(FaultReport, NamesEveryCodeAndReportsItAsAnyUntrappedError) {
    std::string names;
    for (std::uint32_t code :
         {0x80000001u, 0x80000002u, 0x80000003u, 0x80000004u, 0xC0000005u, 0xC0000006u, 0xC0000008u,
          0xC000001Du, 0xC0000025u, 0xC0000026u, 0xC000008Cu, 0xC000008Du, 0xC000008Eu, 0xC000008Fu,
          0xC0000090u, 0xC0000091u, 0xC0000092u, 0xC0000093u, 0xC0000094u, 0xC0000095u, 0xC0000096u,
          0xC00000FDu, 0xC000013Au, 0xC0000007u, 0x0000ABCDu, 0xFFFFFFFFu}) {
        names += ExceptionName(code) + "\n";
        // The handler builds its report without std::string; it must still say
        // exactly what the program says of any other untrapped error.
        const ExceptionRecord record{code};
        char buffer[kFaultReportCapacity];
        EXPECT_EQ(std::string(buffer, FormatFaultReport({&record, nullptr}, buffer)),
                  FormatErrorReport(10000, "MyExceptionFilter", ExceptionName(code)));
    }
    EXPECT_EQ(names, "Guard Page Violation\nData Type Misalignment\nBreakpoint\nSingle Step\n"
                     "Access Violation\nIn Page Error\nInvalid Handle\nIllegal Instruction\n"
                     "Non Continuable Exception\nInvalid Disposition\nArray Bounds Exceeded\n"
                     "Float Denormal Operand\nDivide By Zero\nFloating Point Inexact Result\n"
                     "Invalid Operation\nFloat Overflow\nFloat Stack Check\nFloat Underflow\n"
                     "Integer Divide By Zero\nInteger Overflow\nPrivileged Instruction\n"
                     "Stack Overflow\nControl-C Exit\nUnknown (&HC0000007)\nUnknown (&H0000ABCD)\n"
                     "Unknown (&HFFFFFFFF)\n");
}

// A fault raised while one is handled chains onto it (the processes below
// show that the report names the first); a chain that memory damage made
// loop, or no record at all, still gives a report.
TEST(FaultReport, ChainsAFaultRaisedWhileHandlingAndEndsALoop) {
    ExceptionRecord first{ExceptionCode::IntegerDivideByZero}, second;
    FaultInProgress handlingFirst(first), handlingSecond(second);
    EXPECT_EQ(handlingSecond.depth(), 2u);
    first.nestedRecord = &second; // now the chain loops
    EXPECT_NE(OriginalFault({&second, nullptr}).nestedRecord, nullptr);
    EXPECT_EQ(FaultError({}).description(), "Unknown (&H00000000)");
}

constexpr std::uintptr_t kLow = 0x7ffcff800000;
constexpr StackBounds kMain{kLow, kLow + (8u << 20)};
constexpr std::uintptr_t kBusy = kMain.highest - 0x3000; // deep inside the main stack
constexpr std::uintptr_t kThreadSp = 0x7f1234561000;

TEST(FaultReport, MapsEachSignalAndReasonToAFault) {
    // Signal, reason, fault address, stack pointer, main stack, the fault.
    using Case = std::tuple<int, int, std::uintptr_t, std::uintptr_t, StackBounds, const char*>;
    const Case cases[] = {
        {SIGSEGV, SEGV_MAPERR, kLow - 8, kLow + 8, kMain, "Stack Overflow"},
        {SIGSEGV, SEGV_MAPERR, kLow - (512u << 10), 0, kMain, "Stack Overflow"}, // in the gap
        {SIGSEGV, SEGV_MAPERR, kLow + 0x100, kBusy, kMain, "Stack Overflow"},
        {SIGSEGV, SEGV_MAPERR, kLow - kStackGuardMargin - 0x1000, kBusy, kMain, "Access Violation"},
        // Another thread's stack: the fault lies by its stack pointer.
        {SIGSEGV, SEGV_ACCERR, kThreadSp - 8, kThreadSp, kMain, "Stack Overflow"},
        {SIGSEGV, SEGV_MAPERR, kThreadSp - (60u << 10), kThreadSp, {}, "Stack Overflow"},
        {SIGSEGV, SEGV_MAPERR, kThreadSp - (256u << 10), kThreadSp, {}, "Access Violation"},
        {SIGSEGV, SEGV_MAPERR, 0, 0, {}, "Access Violation"}, // nothing known of the stack
        {SIGBUS, BUS_ADRALN, 0x555555a0c001, kBusy, kMain, "Data Type Misalignment"},
        {SIGFPE, FPE_FLTSUB, 0, kBusy, kMain, "Array Bounds Exceeded"},
        {SIGFPE, FPE_FLTDIV, 0, kBusy, kMain, "Divide By Zero"},
        {SIGFPE, SI_USER, 0, kBusy, kMain, "Invalid Operation"},
        {SIGILL, ILL_PRVOPC, 0, kBusy, kMain, "Privileged Instruction"},
        {SIGTRAP, TRAP_TRACE, 0, kBusy, kMain, "Single Step"},
    };
    for (const auto& [signalNumber, reason, address, stackPointer, stack, expected] : cases) {
        SCOPED_TRACE(testing::Message() << signalNumber << "/" << reason << " at " << address);
        EXPECT_EQ(ExceptionName(
                      ExceptionCodeForSignal(signalNumber, reason, address, stackPointer, stack)),
                  expected);
    }

    const StackBounds bounds = CurrentThreadStackBounds(); // holds its own local
    const auto here = reinterpret_cast<std::uintptr_t>(&bounds);
    EXPECT_TRUE(bounds.lowest < here && here < bounds.highest);
}

// Real faults, each in a process of its own that installs the handler as
// start-up does; the other reasons cannot be committed on purpose and are
// mapped above.
volatile int g_sink;

// The volatile frame and the use of the result keep the compiler from turning
// the recursion into a loop or dropping it.
int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return g_sink == 0 ? Recurse(depth + 1) + frame[0] : frame[0];
}

void NullStore() {
    volatile int* volatile pointer = nullptr; // or the compiler may drop the store
    *pointer = 1;
}

// Name, the fault committed, the signal the process dies by, the fault reported.
using ChildCase = std::tuple<const char*, void (*)(), int, const char*>;

const ChildCase kChildCases[] = {
    {"null", NullStore, SIGSEGV, "Access Violation"},
    {"stack", [] { g_sink = Recurse(0); }, SIGSEGV, "Stack Overflow"},
    // Not 1 / zero: the compiler turns a division of 1 into a comparison.
    {"intdiv", [] { g_sink = 7 / g_sink; }, SIGFPE, "Integer Divide By Zero"},
    {"truncated", // a mapped page beyond the end of its file
     [] {
         const int fd = memfd_create("fault", 0);
         g_sink = *static_cast<volatile char*>(mmap(nullptr, 4096, PROT_READ, MAP_SHARED, fd, 0));
     },
     SIGBUS, "In Page Error"},
    {"raise", [] { raise(SIGSEGV); }, SIGSEGV, "Access Violation"}, // no fault address
    {"nested", // as if the handler were still reporting an earlier fault
     [] {
         ExceptionRecord earlier{ExceptionCode::IntegerDivideByZero};
         FaultInProgress handling(earlier);
         NullStore();
     },
     SIGSEGV, "Integer Divide By Zero"},
#if defined(__x86_64__) || defined(__i386__)
    {"trap", [] { __builtin_trap(); }, SIGILL, "Illegal Instruction"}, // ud2
    {"breakpoint", [] { asm volatile("int3"); }, SIGTRAP, "Breakpoint"},
#endif
};

// In the process of its own: start-up's installation, then the fault.
void InstallAndCommit(void (*commit)()) {
    const rlimit noCore{0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    const rlimit stack{8u << 20, 8u << 20}; // keeps the endless recursion short
    setrlimit(RLIMIT_STACK, &stack);
    alarm(30); // a handler that hangs dies by SIGALRM
    InstallExceptionFilter();
    commit();
}

TEST(FaultReport, ARealFaultIsReportedAndEndsTheProcessByItsSignal) {
    for (const auto& [name, commit, signalNumber, fault] : kChildCases) {
        SCOPED_TRACE(name);
        // Exactly one line: the report of an untrapped error 10000.
        EXPECT_EXIT(InstallAndCommit(commit), testing::KilledBySignal(signalNumber),
                    testing::Eq(FormatErrorReport(10000, "MyExceptionFilter", fault) + "\n"));
    }
}

} // namespace
} // namespace vimbrel::crash
