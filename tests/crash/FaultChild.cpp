// Installs the fault handler as start-up does, then commits the fault named by
// its first argument, so that the crash tests can watch a real process fault.
// Exits 0 for "none", 77 when this machine cannot commit the fault, and 3 if
// the fault somehow did not happen.

#include "crash/ExceptionFilter.h"
#include "crash/FaultSignals.h"

#include <cfenv>
#include <csignal>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

namespace {

constexpr int kUnsupported = 77;
constexpr int kNoFault = 3;

volatile int g_keepRecursing = 1;
volatile int g_intSink;
volatile double g_doubleSink;

// Each frame holds a volatile array the compiler must keep, and the result of
// the call is used after it returns, so the recursion can be neither turned
// into a loop nor dropped; the volatile flag keeps it from being provably
// endless.
int Recurse(int depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    if (g_keepRecursing == 0) {
        return frame[0];
    }
    return Recurse(depth + 1) + frame[0];
}

int CommitFault(std::string_view fault) {
    using namespace vimbrel::crash;
    if (fault == "none") {
        return 0;
    }
    if (fault == "null") {
        // Both the pointer and the store are volatile: the compiler may drop
        // a plain store that nothing reads back.
        volatile int* volatile pointer = nullptr;
        *pointer = 1;
    } else if (fault == "stack") {
        g_intSink = Recurse(0);
    } else if (fault == "intdiv") {
        // Not 1 / zero: the compiler turns a division of 1 into a comparison.
        volatile int dividend = 7;
        volatile int zero = 0;
        g_intSink = dividend / zero;
    } else if (fault == "floatdiv") {
        // Floating-point faults are masked unless asked for.
        if (feenableexcept(FE_DIVBYZERO) == -1) {
            return kUnsupported;
        }
        volatile double zero = 0.0;
        g_doubleSink = 1.0 / zero;
    } else if (fault == "truncated") {
        // Reading a mapped page whose file has since shrunk away.
        const long page = sysconf(_SC_PAGESIZE);
        const int fd = memfd_create("fault-child", 0);
        if (fd < 0 || ftruncate(fd, page) != 0) {
            return kUnsupported;
        }
        void* mapped = mmap(nullptr, static_cast<std::size_t>(page), PROT_READ, MAP_SHARED, fd, 0);
        if (mapped == MAP_FAILED || ftruncate(fd, 0) != 0) {
            return kUnsupported;
        }
        g_intSink = *static_cast<volatile char*>(mapped);
    } else if (fault == "raise") {
        // A fault signal sent rather than committed: it has no fault address.
        raise(SIGSEGV);
    } else if (fault == "nested") {
        // As if the handler were still reporting an earlier fault when this
        // one came: the report must name the earlier one.
        ExceptionRecord earlier;
        earlier.code = ExceptionCode::IntegerDivideByZero;
        FaultInProgress handling(earlier);
        volatile int* volatile pointer = nullptr;
        *pointer = 1;
    } else if (fault == "trap") {
#if defined(__x86_64__) || defined(__i386__)
        __builtin_trap(); // ud2
#else
        return kUnsupported;
#endif
    } else if (fault == "breakpoint") {
#if defined(__x86_64__) || defined(__i386__)
        asm volatile("int3");
#else
        return kUnsupported;
#endif
    } else {
        return 2;
    }
    return kNoFault;
}

} // namespace

int main(int argc, char** argv) {
    vimbrel::crash::InstallExceptionFilter();
    if (argc < 2) {
        return 2;
    }
    return CommitFault(argv[1]);
}
