#include "platform/ProcessControl.h"

#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace vimbrel::platform {

void SystemProcessControl::Exit(int exitCode) {
    // No destructors, no window's closing steps: the media player's threads
    // and the windows go with the process.
    std::fflush(nullptr);
    ::_exit(exitCode);
}

void SetUpHeapForLongRuns() {
    mallopt(M_ARENA_MAX, 2);
}

void ReturnFreedMemory() {
    malloc_trim(0);
}

} // namespace vimbrel::platform
