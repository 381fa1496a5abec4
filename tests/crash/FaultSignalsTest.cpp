#include "crash/FaultSignals.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vimbrel::crash {
namespace {

// --- From signal to fault code -------------------------------------------

constexpr std::uintptr_t kStackTop = 0x7ffd00000000;
constexpr std::uintptr_t kStackLowest = kStackTop - (8u << 20);
constexpr StackBounds kMainStack{kStackLowest, kStackTop};
constexpr StackBounds kUnknownStack{};
// A stack pointer deep inside the main stack, far from its lowest address.
constexpr std::uintptr_t kBusySp = kStackTop - 0x3000;
constexpr std::uintptr_t kHeapAddress = 0x555555a0c000;

struct SignalCase {
    const char* what;
    int signalNumber;
    int signalCode;
    std::uintptr_t faultAddress;
    std::uintptr_t stackPointer;
    StackBounds stack;
    const char* expected;
};

const SignalCase kSignalCases[] = {
    {"null dereference", SIGSEGV, SEGV_MAPERR, 0, kBusySp, kMainStack, "Access Violation"},
    {"write to read-only page", SIGSEGV, SEGV_ACCERR, kHeapAddress, kBusySp, kMainStack,
     "Access Violation"},
    {"just below the main stack", SIGSEGV, SEGV_MAPERR, kStackLowest - 8, kStackLowest + 8,
     kMainStack, "Stack Overflow"},
    {"in the guard gap, stack pointer unknown", SIGSEGV, SEGV_MAPERR, kStackLowest - (512u << 10),
     0, kMainStack, "Stack Overflow"},
    {"just above the recorded lowest address", SIGSEGV, SEGV_MAPERR, kStackLowest + 0x100, kBusySp,
     kMainStack, "Stack Overflow"},
    {"beyond the guard gap", SIGSEGV, SEGV_MAPERR, kStackLowest - kStackGuardMargin - 0x1000,
     kBusySp, kMainStack, "Access Violation"},
    {"below another thread's stack pointer", SIGSEGV, SEGV_ACCERR, 0x7f1234560ff8, 0x7f1234561000,
     kMainStack, "Stack Overflow"},
    {"a frame's probe below the stack pointer", SIGSEGV, SEGV_MAPERR, 0x7f1234561000 - (60u << 10),
     0x7f1234561000, kUnknownStack, "Stack Overflow"},
    {"far below the stack pointer", SIGSEGV, SEGV_MAPERR, 0x7f1234561000 - (256u << 10),
     0x7f1234561000, kUnknownStack, "Access Violation"},
    {"null with nothing known of the stack", SIGSEGV, SEGV_MAPERR, 0, 0, kUnknownStack,
     "Access Violation"},
    {"sent by a process, whatever si_addr holds", SIGSEGV, SI_USER, kStackLowest - 8, kStackLowest,
     kMainStack, "Access Violation"},

    {"misaligned access", SIGBUS, BUS_ADRALN, kHeapAddress + 1, kBusySp, kMainStack,
     "Data Type Misalignment"},
    // Each other signal reason maps one to one; the child processes below
    // commit the faults that can be committed on purpose.
    {"subscript out of range", SIGFPE, FPE_FLTSUB, 0, kBusySp, kMainStack, "Array Bounds Exceeded"},
    {"arithmetic fault sent", SIGFPE, SI_USER, 0, kBusySp, kMainStack, "Invalid Operation"},
    {"privileged opcode", SIGILL, ILL_PRVOPC, 0, kBusySp, kMainStack, "Privileged Instruction"},
    {"single step", SIGTRAP, TRAP_TRACE, 0, kBusySp, kMainStack, "Single Step"},

    {"a signal the filter does not handle", SIGABRT, SI_TKILL, 0, kBusySp, kMainStack,
     "Unknown (&H00000000)"},
};

TEST(ExceptionCodeForSignalTest, MapsEachSignalAndReason) {
    for (const SignalCase& entry : kSignalCases) {
        SCOPED_TRACE(entry.what);
        const std::uint32_t code =
            ExceptionCodeForSignal(entry.signalNumber, entry.signalCode, entry.faultAddress,
                                   entry.stackPointer, entry.stack);
        EXPECT_EQ(ExceptionName(code), entry.expected);
    }
}

TEST(StackBoundsTest, TheMainThreadsStackHoldsItsLocals) {
    const StackBounds bounds = CurrentThreadStackBounds();
    volatile int local = 0;
    const auto address = reinterpret_cast<std::uintptr_t>(&local);
    ASSERT_NE(bounds.lowest, 0u);
    EXPECT_LT(bounds.lowest, address);
    EXPECT_LT(address, bounds.highest);
}

// --- Faults raised while one is handled ----------------------------------

TEST(FaultInProgressTest, AFaultRaisedWhileHandlingChainsOntoTheFirst) {
    ExceptionRecord first{ExceptionCode::IntegerDivideByZero, 0, nullptr, nullptr};
    {
        FaultInProgress handlingFirst(first);
        EXPECT_EQ(first.nestedRecord, nullptr);
        EXPECT_EQ(handlingFirst.depth(), 1u);

        ExceptionRecord second{ExceptionCode::AccessViolation, 0, nullptr, nullptr};
        {
            FaultInProgress handlingSecond(second);
            EXPECT_EQ(second.nestedRecord, &first);
            EXPECT_NE(second.flags & kNestedFaultFlag, 0u);

            ExceptionRecord third{ExceptionCode::StackOverflow, 0, nullptr, nullptr};
            FaultInProgress handlingThird(third);
            EXPECT_EQ(third.nestedRecord, &second);
            EXPECT_EQ(handlingThird.depth(), 3u);
            EXPECT_EQ(FaultError(ExceptionPointers{&third, nullptr}).description(),
                      "Integer Divide By Zero");
        }

        // Once the second is done with, a new fault chains onto the first again.
        ExceptionRecord fourth{ExceptionCode::Breakpoint, 0, nullptr, nullptr};
        FaultInProgress handlingFourth(fourth);
        EXPECT_EQ(fourth.nestedRecord, &first);
    }

    ExceptionRecord later{ExceptionCode::Breakpoint, 0, nullptr, nullptr};
    FaultInProgress handlingLater(later);
    EXPECT_EQ(later.nestedRecord, nullptr);
    EXPECT_EQ(later.flags & kNestedFaultFlag, 0u);
}

// --- Real processes, real faults -----------------------------------------

struct ChildOutcome {
    int status = 0;
    std::string errorOutput;
};

constexpr int kChildUnsupported = 77;

ChildOutcome RunFaultChild(const char* fault) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe2: " << std::strerror(errno);
        return {};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        // The test process has threads, so only async-signal-safe calls
        // until exec.
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        // A bounded stack keeps the endless recursion short.
        rlimit stack{};
        if (getrlimit(RLIMIT_STACK, &stack) == 0 &&
            (stack.rlim_cur == RLIM_INFINITY || stack.rlim_cur > (8u << 20))) {
            stack.rlim_cur = 8u << 20;
            setrlimit(RLIMIT_STACK, &stack);
        }
        alarm(30); // A handler that hangs shows up as death by SIGALRM.
        dup2(pipeEnds[1], STDERR_FILENO);
        execl(FAULT_CHILD_PATH, FAULT_CHILD_PATH, fault, static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    ChildOutcome outcome;
    if (pid < 0) {
        ADD_FAILURE() << "fork: " << std::strerror(errno);
        close(pipeEnds[0]);
        return outcome;
    }
    char chunk[256];
    for (;;) {
        const ssize_t got = read(pipeEnds[0], chunk, sizeof chunk);
        if (got > 0) {
            outcome.errorOutput.append(chunk, static_cast<std::size_t>(got));
        } else if (got == 0 || errno != EINTR) {
            break;
        }
    }
    close(pipeEnds[0]);
    while (waitpid(pid, &outcome.status, 0) < 0 && errno == EINTR) {
    }
    return outcome;
}

std::string DescribeStatus(int status) {
    if (WIFSIGNALED(status)) {
        return std::string("killed by ") + strsignal(WTERMSIG(status));
    }
    if (WIFEXITED(status)) {
        return "exited with " + std::to_string(WEXITSTATUS(status));
    }
    return "status " + std::to_string(status);
}

struct ChildCase {
    const char* fault;
    int signalNumber; // 0: the child exits normally
    const char* name; // the fault the report names
};

void PrintTo(const ChildCase& entry, std::ostream* out) {
    *out << entry.fault;
}

class FaultChildTest : public testing::TestWithParam<ChildCase> {};

TEST_P(FaultChildTest, ReportsTheFaultAndDiesByItsSignal) {
    const ChildCase& entry = GetParam();
    const ChildOutcome outcome = RunFaultChild(entry.fault);
    if (WIFEXITED(outcome.status) && WEXITSTATUS(outcome.status) == kChildUnsupported) {
        GTEST_SKIP() << "this machine cannot commit the fault " << entry.fault;
    }

    if (entry.signalNumber == 0) {
        EXPECT_TRUE(WIFEXITED(outcome.status) && WEXITSTATUS(outcome.status) == 0)
            << DescribeStatus(outcome.status);
        EXPECT_EQ(outcome.errorOutput, "");
        return;
    }
    ASSERT_TRUE(WIFSIGNALED(outcome.status)) << DescribeStatus(outcome.status);
    EXPECT_EQ(WTERMSIG(outcome.status), entry.signalNumber) << DescribeStatus(outcome.status);
    // Exactly one line: the report of an untrapped error 10000.
    EXPECT_EQ(outcome.errorOutput,
              FormatErrorReport(10000, "MyExceptionFilter", entry.name) + "\n");
}

const ChildCase kChildCases[] = {
    {"none", 0, ""},
    {"null", SIGSEGV, "Access Violation"},
    {"stack", SIGSEGV, "Stack Overflow"},
    {"intdiv", SIGFPE, "Integer Divide By Zero"},
    {"floatdiv", SIGFPE, "Divide By Zero"},
    {"truncated", SIGBUS, "In Page Error"},
    {"raise", SIGSEGV, "Access Violation"},
    {"nested", SIGSEGV, "Integer Divide By Zero"},
    {"trap", SIGILL, "Illegal Instruction"},
    {"breakpoint", SIGTRAP, "Breakpoint"},
};

INSTANTIATE_TEST_SUITE_P(Faults, FaultChildTest, testing::ValuesIn(kChildCases),
                         [](const testing::TestParamInfo<ChildCase>& param) {
                             return std::string(param.param.fault);
                         });

} // namespace
} // namespace vimbrel::crash
