#pragma once

// The libraries the show needs only for some media (the media player's, the
// MIDI synthesizer's, the HEIF decoder's) are opened with the first call
// into them, not at start-up: a show of pictures never maps their tens of
// megabytes, nor pays for their loading. Each library's functions are
// defined in a file of their own with VIMBREL_LAZY, with the signature the
// library's header declares (the compiler holds them to it), and forward to
// the library's own; where the library cannot be opened, each answers as it
// does when it fails.

namespace vimbrel::platform {

class LazyLibrary {
public:
    // Opens the library by its file name (its soname); `missing` is what to
    // say, once, on standard error when it cannot be opened.
    LazyLibrary(const char* soname, const char* missing);
    LazyLibrary(const LazyLibrary&) = delete;
    LazyLibrary& operator=(const LazyLibrary&) = delete;

    // The library's own function of that name; nullptr when the library or
    // the function is not there.
    void* Function(const char* name) const;

    bool Opened() const { return m_handle != nullptr; }

private:
    void* m_handle = nullptr;
};

// Whether the MIDI synthesizer's library opens on this machine (opening it
// if it is not open yet): without it MIDI files cannot play, through no
// fault of theirs.
bool SynthesizerLibraryOpens();

} // namespace vimbrel::platform

// Defines `accessor()`, which opens the library `soname` with its first
// call, saying `missing` when it cannot.
#define VIMBREL_LAZY_LIBRARY(accessor, soname, missing)                                            \
    const vimbrel::platform::LazyLibrary& accessor() {                                             \
        static const vimbrel::platform::LazyLibrary library(soname, missing);                      \
        return library;                                                                            \
    }

// Defines `name` (returning `ret`, taking `params`) to call the function of
// that name in the library `library()` returns, passing `args`; where it is
// not there, the function returns `missing`.
#define VIMBREL_LAZY(library, missing, ret, name, params, args)                                    \
    extern "C" ret name params {                                                                   \
        static const auto own = reinterpret_cast<decltype(&name)>(library().Function(#name));      \
        if (own == nullptr) {                                                                      \
            return missing;                                                                        \
        }                                                                                          \
        return own args;                                                                           \
    }
