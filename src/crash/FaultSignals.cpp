#include "crash/FaultSignals.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <ucontext.h>
#include <unistd.h>

namespace vimbrel::crash {

namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGTRAP};

// Faults raised while reporting a fault that are nested deeper than this are
// not reported again: the reporting code itself keeps faulting, so the
// process ends at once instead of filling the alternate stack.
constexpr std::size_t kMaxReportingDepth = 3;

// Also the cap of a chain walk, so that a corrupt chain cannot hang the
// dying process.
constexpr std::size_t kMaxChainLength = 64;

// The record of the fault being handled, if any. A fault handler cannot be
// handed state, and a fault raised while one is handled must find the first
// one to chain onto, so this has to be process-wide and mutable. It is atomic
// because a fault may arrive on any thread, and a lock-free atomic is safe in
// a signal handler where a mutex is not.
std::atomic<const ExceptionRecord*> g_handling{nullptr};
static_assert(std::atomic<const ExceptionRecord*>::is_always_lock_free);

// Written once by InstallExceptionFilter before the handlers are installed,
// only read afterwards (by the handler, which cannot be handed it otherwise).
StackBounds g_mainStack;

std::uintptr_t StackPointerOf(const void* context) noexcept {
    if (context == nullptr) {
        return 0;
    }
    const auto* machine = &static_cast<const ucontext_t*>(context)->uc_mcontext;
#if defined(__x86_64__)
    return static_cast<std::uintptr_t>(machine->gregs[REG_RSP]);
#elif defined(__i386__)
    return static_cast<std::uintptr_t>(machine->gregs[REG_ESP]);
#elif defined(__aarch64__)
    return static_cast<std::uintptr_t>(machine->sp);
#else
    (void)machine;
    return 0; // Unknown here: only the recorded stack bounds tell an overflow.
#endif
}

bool WithinMargin(std::uintptr_t address, std::uintptr_t centre, std::uintptr_t margin) noexcept {
    const std::uintptr_t distance = address > centre ? address - centre : centre - address;
    return distance <= margin;
}

bool IsStackExhaustion(std::uintptr_t faultAddress, std::uintptr_t stackPointer,
                       const StackBounds& mainStack) noexcept {
    if (mainStack.lowest != 0 && WithinMargin(faultAddress, mainStack.lowest, kStackGuardMargin)) {
        return true;
    }
    // Any other thread's stack, or a main stack whose bounds are unknown: the
    // address the thread could not write lies right by its stack pointer.
    return stackPointer != 0 && WithinMargin(faultAddress, stackPointer, kStackPointerMargin);
}

std::uint32_t CodeForSegv(int signalCode, std::uintptr_t faultAddress, std::uintptr_t stackPointer,
                          const StackBounds& mainStack) noexcept {
    if (signalCode > 0 && IsStackExhaustion(faultAddress, stackPointer, mainStack)) {
        return ExceptionCode::StackOverflow;
    }
    return ExceptionCode::AccessViolation;
}

std::uint32_t CodeForFpe(int signalCode) noexcept {
    switch (signalCode) {
    case FPE_INTDIV:
        return ExceptionCode::IntegerDivideByZero;
    case FPE_INTOVF:
        return ExceptionCode::IntegerOverflow;
    case FPE_FLTDIV:
        return ExceptionCode::FloatDivideByZero;
    case FPE_FLTOVF:
        return ExceptionCode::FloatOverflow;
    case FPE_FLTUND:
        return ExceptionCode::FloatUnderflow;
    case FPE_FLTRES:
        return ExceptionCode::FloatInexactResult;
    case FPE_FLTSUB:
        return ExceptionCode::ArrayBoundsExceeded;
    default:
        // FPE_FLTINV, and a SIGFPE that names no operation at all.
        return ExceptionCode::FloatInvalidOperation;
    }
}

StackBounds StackFromLimit() noexcept {
    // Without the C library's answer (it reads /proc, which a sandbox may
    // hide) the top is taken as the page above this frame: start-up frames and
    // the environment lie above it, but they are small beside the guard margin.
    rlimit limit{};
    if (getrlimit(RLIMIT_STACK, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return {};
    }
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    volatile char here = 0;
    const std::uintptr_t highest = (reinterpret_cast<std::uintptr_t>(&here) | (page - 1)) + 1;
    if (highest <= limit.rlim_cur) {
        return {};
    }
    return {highest - static_cast<std::uintptr_t>(limit.rlim_cur), highest};
}

void SetUpAlternateStack() noexcept {
    // The handler must run when the stack it interrupted is used up, so it
    // gets a stack of its own, with room for a few nested faults and an
    // inaccessible page below so that overrunning it faults instead of
    // writing over whatever lies there.
    const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    std::size_t size = 128u << 10;
#ifdef _SC_MINSIGSTKSZ
    size = std::max(size, 4 * static_cast<std::size_t>(sysconf(_SC_MINSIGSTKSZ)));
#endif
    size = (size + page - 1) / page * page;
    void* base = mmap(nullptr, size + page, PROT_READ | PROT_WRITE,
                      MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (base == MAP_FAILED) {
        // Faults are still reported on the faulting stack; only a stack
        // overflow then ends the process unreported.
        return;
    }
    mprotect(base, page, PROT_NONE);
    stack_t stack{};
    stack.ss_sp = static_cast<char*>(base) + page;
    stack.ss_size = size;
    stack.ss_flags = 0;
    if (sigaltstack(&stack, nullptr) != 0) {
        munmap(base, size + page);
    }
    // Otherwise the stack is kept for the life of the process.
}

[[noreturn]] void EndWithSignal(int signalNumber) noexcept {
    // Dying by the signal itself, rather than exiting, lets whoever started
    // the program see from the wait status that it crashed, and how.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    sigaction(signalNumber, &action, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signalNumber);
    pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(signalNumber);
    _exit(128 + signalNumber); // Only if the signal could not end the process.
}

void OnFaultSignal(int signalNumber, siginfo_t* info, void* context) {
    // si_addr means something only for a fault the kernel raised; for a
    // signal sent by a process the same bytes hold the sender's pid and uid.
    const int signalCode = info != nullptr ? info->si_code : SI_USER;
    const void* address = signalCode > 0 ? info->si_addr : nullptr;

    ExceptionRecord record;
    record.code =
        ExceptionCodeForSignal(signalNumber, signalCode, reinterpret_cast<std::uintptr_t>(address),
                               StackPointerOf(context), g_mainStack);
    record.address = address;

    FaultInProgress handling(record);
    if (handling.depth() <= kMaxReportingDepth) {
        MyExceptionFilter(ExceptionPointers{&record, context});
    }
    EndWithSignal(signalNumber);
}

void Install() noexcept {
    StackBounds bounds = CurrentThreadStackBounds();
    g_mainStack = bounds.lowest != 0 ? bounds : StackFromLimit();
    SetUpAlternateStack();

    struct sigaction action {};
    action.sa_sigaction = OnFaultSignal;
    // SA_NODEFER: a fault in the handler must reach the handler again so that
    // it chains onto the first. With the signal blocked the kernel would end
    // the process on the spot, without a report.
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : kFaultSignals) {
        sigaction(signalNumber, &action, nullptr);
    }
}

} // namespace

std::uint32_t ExceptionCodeForSignal(int signalNumber, int signalCode, std::uintptr_t faultAddress,
                                     std::uintptr_t stackPointer,
                                     const StackBounds& mainStack) noexcept {
    switch (signalNumber) {
    case SIGSEGV:
        return CodeForSegv(signalCode, faultAddress, stackPointer, mainStack);
    case SIGBUS:
        // Anything but misalignment is a page that could not be brought in,
        // such as a mapped file truncated under us.
        return signalCode == BUS_ADRALN ? ExceptionCode::DataTypeMisalignment
                                        : ExceptionCode::InPageError;
    case SIGFPE:
        return CodeForFpe(signalCode);
    case SIGILL:
        return signalCode == ILL_PRVOPC || signalCode == ILL_PRVREG
                   ? ExceptionCode::PrivilegedInstruction
                   : ExceptionCode::IllegalInstruction;
    case SIGTRAP:
        // x86's int3 arrives as SI_KERNEL rather than TRAP_BRKPT.
        return signalCode == TRAP_TRACE ? ExceptionCode::SingleStep : ExceptionCode::Breakpoint;
    default:
        return 0;
    }
}

StackBounds CurrentThreadStackBounds() noexcept {
    pthread_attr_t attributes;
    if (pthread_getattr_np(pthread_self(), &attributes) != 0) {
        return {};
    }
    StackBounds bounds;
    void* lowest = nullptr;
    std::size_t size = 0;
    if (pthread_attr_getstack(&attributes, &lowest, &size) == 0) {
        bounds.lowest = reinterpret_cast<std::uintptr_t>(lowest);
        bounds.highest = bounds.lowest + size;
    }
    pthread_attr_destroy(&attributes);
    return bounds;
}

StackBounds InstalledMainStackBounds() noexcept {
    return g_mainStack;
}

FaultInProgress::FaultInProgress(ExceptionRecord& record) noexcept
    : m_record(record), m_previous(g_handling.exchange(&record)) {
    if (m_previous != nullptr) {
        record.nestedRecord = m_previous;
        record.flags |= kNestedFaultFlag;
    }
}

FaultInProgress::~FaultInProgress() {
    g_handling.store(m_previous);
}

std::size_t FaultInProgress::depth() const noexcept {
    std::size_t depth = 1;
    for (const ExceptionRecord* record = m_record.nestedRecord;
         record != nullptr && depth < kMaxChainLength; record = record->nestedRecord) {
        ++depth;
    }
    return depth;
}

void InstallExceptionFilter() {
    // A function-local static runs the installation exactly once, however
    // often and from however many threads start-up calls this.
    [[maybe_unused]] static const bool installed = (Install(), true);
}

} // namespace vimbrel::crash
