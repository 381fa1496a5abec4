#include "platform/LazyLibrary.h"

#include "platform/MessageBoxes.h"

#include <dlfcn.h>
#include <string>

namespace vimbrel::platform {

LazyLibrary::LazyLibrary(const char* soname, const char* missing)
    : m_handle(::dlopen(soname, RTLD_NOW | RTLD_LOCAL)) {
    if (m_handle == nullptr) {
        WriteToTerminal(std::string(missing) + " (" + ::dlerror() + ")");
    }
}

void* LazyLibrary::Function(const char* name) const {
    return m_handle != nullptr ? ::dlsym(m_handle, name) : nullptr;
}

} // namespace vimbrel::platform
