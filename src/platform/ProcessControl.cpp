#include "platform/ProcessControl.h"

#include <cstdio>
#include <unistd.h>

namespace vimbrel::platform {

void SystemProcessControl::Exit(int exitCode) {
    // No destructors, no window's closing steps: the media player's threads
    // and the windows go with the process.
    std::fflush(nullptr);
    ::_exit(exitCode);
}

} // namespace vimbrel::platform
