#pragma once

#include "crash/ExceptionFilter.h"

#include <cstddef>
#include <cstdint>

namespace vimbrel::crash {

// The addresses a thread's stack may occupy: from the lowest address it may
// grow down to, up to (not including) its top. Zero when unknown.
struct StackBounds {
    std::uintptr_t lowest = 0;
    std::uintptr_t highest = 0;
};

// How far around the lowest stack address a fault still counts as the stack
// running out. The kernel keeps a guard gap (1 MiB by default) between a
// growing stack and the mapping below it, so the fault may land anywhere in
// that gap, and the lowest address recorded at start-up may be the mapping
// below rather than the stack's own limit.
inline constexpr std::uintptr_t kStackGuardMargin = (1u << 20) + (64u << 10);

// How close to the faulting stack pointer an address must be to count as
// stack: a call or push writes just below it, and a new frame's locals lie
// within a few pages of it.
inline constexpr std::uintptr_t kStackPointerMargin = 64u << 10;

// The fault code for a signal the kernel delivered: the signal number, its
// si_code, the fault address (si_addr), the stack pointer of the faulting
// thread (0 when unknown) and the main thread's stack bounds. A signal sent by
// a process (si_code <= 0) carries no fault address, so it is never taken for
// a stack overflow. A signal the filter does not handle gives 0.
std::uint32_t ExceptionCodeForSignal(int signalNumber, int signalCode, std::uintptr_t faultAddress,
                                     std::uintptr_t stackPointer,
                                     const StackBounds& mainStack) noexcept;

// The bounds of the calling thread's stack, from the C library (which, for the
// main thread, takes the lowest address from the stack size limit).
StackBounds CurrentThreadStackBounds() noexcept;

// The main thread's stack bounds as recorded by InstallExceptionFilter; zero
// before it ran.
StackBounds InstalledMainStackBounds() noexcept;

// Marks a fault as being handled for as long as it lives. A fault raised
// meanwhile (by the reporting code itself, or by another thread) gets the
// marked record as its nested record, so its report names the fault that
// started it all. The handler never leaves its scope, since it ends the
// process; the destructor is there for callers that do.
class FaultInProgress {
public:
    explicit FaultInProgress(ExceptionRecord& record) noexcept;
    ~FaultInProgress();
    FaultInProgress(const FaultInProgress&) = delete;
    FaultInProgress& operator=(const FaultInProgress&) = delete;

    // How many faults are being handled, this one included.
    std::size_t depth() const noexcept;

private:
    ExceptionRecord& m_record;
    const ExceptionRecord* m_previous;
};

} // namespace vimbrel::crash
