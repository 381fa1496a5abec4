#pragma once

#include <cstdlib>
#include <functional>
#include <utility>

namespace vimbrel::platform {

// Ending the process on the spot, without any window's closing steps: the
// show does so when a folder holds nothing it can show.
class ProcessControl {
public:
    virtual ~ProcessControl() = default;

    // Runs the last step, if one is set, then ends the process.
    [[noreturn]] void EndAtOnce(int exitCode) {
        if (auto step = std::exchange(m_lastStep, nullptr)) {
            step();
        }
        Exit(exitCode);
        // Exit never comes back; should an override ever do so, the
        // process still ends here.
        std::abort();
    }

    // What must happen even when the process ends on the spot: the show
    // gives the desktop its own display mode back. Empty clears it.
    void SetLastStep(std::function<void()> step) { m_lastStep = std::move(step); }

protected:
    [[noreturn]] virtual void Exit(int exitCode) = 0;

private:
    std::function<void()> m_lastStep;
};

class SystemProcessControl final : public ProcessControl {
protected:
    [[noreturn]] void Exit(int exitCode) override;
};

// Sets the heap up for a process that runs for hours: all threads share two
// heaps. Left to itself every thread that allocates (the picture reader,
// mpv's decoders, the synthesizer) gets a heap of its own, and each keeps
// the most it ever held, so a long show would grow for an hour before it
// levelled out. Large blocks stay in the heaps rather than going back to
// the system at every free: a 24-megapixel photograph decodes some 60 ms
// faster into memory used before than into memory that must first be
// mapped. Called first thing, before any thread starts.
void SetUpHeapForLongRuns();

// Hands the memory freed inside the process back to the system, from every
// thread's heap: after a large, short-lived use (a tune's instruments) the
// process would otherwise keep it.
void ReturnFreedMemory();

} // namespace vimbrel::platform
