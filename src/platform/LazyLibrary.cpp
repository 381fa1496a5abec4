#include "platform/LazyLibrary.h"

#include <cstdio>
#include <dlfcn.h>

namespace vimbrel::platform {

LazyLibrary::LazyLibrary(const char* soname, const char* missing)
    : m_handle(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (m_handle == nullptr) {
        std::fprintf(stderr, "Vimbrel: %s (%s)\n", missing, ::dlerror());
    }
}

void* LazyLibrary::Function(const char* name) const {
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace vimbrel::platform
