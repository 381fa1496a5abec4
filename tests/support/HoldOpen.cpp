// A library preloaded into the program (LD_PRELOAD) by the end-to-end tests
// and bench/peers.sh: open() and openat() of a file whose name starts with
// "slow." first wait eight seconds, as on a network mount that does not
// answer. Every other file opens as usual.

#include <cstdarg>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using Open = int (*)(const char*, int, ...);
using OpenAt = int (*)(int, const char*, int, ...);

void HoldIfSlow(const char* path) {
    const char* name = std::strrchr(path, '/');
    if (std::strncmp(name != nullptr ? name + 1 : path, "slow.", 5) == 0) {
        ::sleep(8);
    }
}

template <typename Function> Function Next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

// The mode is there only when a file is made, and is read only then, as
// open() itself does.
#define VIMBREL_MODE_OF(flags)                                                                     \
    mode_t mode = 0;                                                                               \
    if (((flags) & (O_CREAT | O_TMPFILE)) != 0) {                                                  \
        va_list list;                                                                              \
        va_start(list, flags);                                                                     \
        mode = va_arg(list, mode_t);                                                               \
        va_end(list);                                                                              \
    }

extern "C" {
int open(const char* path, int flags, ...) {
    VIMBREL_MODE_OF(flags)
    HoldIfSlow(path);
    return Next<Open>("open")(path, flags, mode);
}
int open64(const char* path, int flags, ...) {
    VIMBREL_MODE_OF(flags)
    HoldIfSlow(path);
    return Next<Open>("open64")(path, flags, mode);
}
int openat(int folder, const char* path, int flags, ...) {
    VIMBREL_MODE_OF(flags)
    HoldIfSlow(path);
    return Next<OpenAt>("openat")(folder, path, flags, mode);
}
int openat64(int folder, const char* path, int flags, ...) {
    VIMBREL_MODE_OF(flags)
    HoldIfSlow(path);
    return Next<OpenAt>("openat64")(folder, path, flags, mode);
}
}
