#include "display/XRandrModes.h"

// Qt before Xlib: Xlib's macros would otherwise rewrite Qt's headers.
#include <QGuiApplication>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <algorithm>
#include <cmath>

namespace vimbrel {

namespace {

// Owns what Xlib hands out, freed with the matching Xlib call.
struct ResourcesFree {
    void operator()(XRRScreenResources* r) const { XRRFreeScreenResources(r); }
};
struct OutputFree {
    void operator()(XRROutputInfo* o) const { XRRFreeOutputInfo(o); }
};
struct CrtcFree {
    void operator()(XRRCrtcInfo* c) const { XRRFreeCrtcInfo(c); }
};
using Resources = std::unique_ptr<XRRScreenResources, ResourcesFree>;
using OutputInfo = std::unique_ptr<XRROutputInfo, OutputFree>;
using CrtcInfo = std::unique_ptr<XRRCrtcInfo, CrtcFree>;

Resources ReadResources(Display* display, bool current) {
    const Window root = DefaultRootWindow(display);
    // The "current" request does not make the server probe the outputs,
    // which on real hardware takes a noticeable moment.
    return Resources(current ? XRRGetScreenResourcesCurrent(display, root)
                             : XRRGetScreenResources(display, root));
}

const XRRModeInfo* FindMode(const XRRScreenResources& resources, RRMode id) {
    for (int i = 0; i < resources.nmode; ++i) {
        if (resources.modes[i].id == id) {
            return &resources.modes[i];
        }
    }
    return nullptr;
}

bool OffersMode(const XRROutputInfo& output, RRMode id) {
    return std::find(output.modes, output.modes + output.nmode, id) != output.modes + output.nmode;
}

int32_t RefreshRate(const XRRModeInfo& mode) {
    const double lines = static_cast<double>(mode.hTotal) * mode.vTotal;
    if (lines <= 0) {
        return 0; // a server without timings (a virtual one) gives none
    }
    return static_cast<int32_t>(std::lround(static_cast<double>(mode.dotClock) / lines));
}

// The output the program switches: the primary one where it drives a CRTC,
// otherwise the first connected output that does.
RROutput ChooseOutput(Display* display, XRRScreenResources& resources, bool hasPrimary) {
    auto usable = [&](RROutput id) {
        const OutputInfo info(XRRGetOutputInfo(display, &resources, id));
        return info && info->connection == RR_Connected && info->crtc != 0;
    };
    if (hasPrimary) {
        const RROutput primary = XRRGetOutputPrimary(display, DefaultRootWindow(display));
        if (primary != 0 && usable(primary)) {
            return primary;
        }
    }
    for (int i = 0; i < resources.noutput; ++i) {
        if (usable(resources.outputs[i])) {
            return resources.outputs[i];
        }
    }
    return 0;
}

// Xlib reports protocol errors to one handler for the whole process, whose
// default ends the process. While a change runs, errors are noted instead.
int g_lastError = 0;

int NoteError(Display*, XErrorEvent* event) {
    g_lastError = event->error_code;
    return 0;
}

class ErrorTrap {
public:
    explicit ErrorTrap(Display* display) : m_display(display) {
        XSync(m_display, False); // earlier errors are not this change's
        g_lastError = 0;
        m_previous = XSetErrorHandler(NoteError);
    }
    ~ErrorTrap() { XSetErrorHandler(m_previous); }
    // Waits for the server to have handled every request sent so far.
    bool Failed() {
        XSync(m_display, False);
        return g_lastError != 0;
    }

private:
    Display* m_display;
    int (*m_previous)(Display*, XErrorEvent*) = nullptr;
};

struct Extent {
    int width = 0;
    int height = 0;
    bool operator==(const Extent&) const = default;
};

// The screen size that holds every active CRTC once `changed` shows a mode
// of the given size.
Extent ExtentAfter(Display* display, XRRScreenResources* resources, RRCrtc changed,
                   const XRRModeInfo& mode) {
    Extent extent;
    for (int i = 0; i < resources->ncrtc; ++i) {
        const CrtcInfo crtc(XRRGetCrtcInfo(display, resources, resources->crtcs[i]));
        if (!crtc) {
            continue;
        }
        int right = crtc->x + static_cast<int>(crtc->width);
        int bottom = crtc->y + static_cast<int>(crtc->height);
        if (resources->crtcs[i] == changed) {
            const bool sideways = (crtc->rotation & (RR_Rotate_90 | RR_Rotate_270)) != 0;
            right = crtc->x + static_cast<int>(sideways ? mode.height : mode.width);
            bottom = crtc->y + static_cast<int>(sideways ? mode.width : mode.height);
        } else if (crtc->mode == 0) {
            continue; // a CRTC that is off takes no room
        }
        extent.width = std::max(extent.width, right);
        extent.height = std::max(extent.height, bottom);
    }
    return extent;
}

Extent RootSize(Display* display) {
    // Asked of the server: Xlib's own record of the screen size changes only
    // when this connection reads the events, which it never does.
    Window root = 0;
    int x = 0;
    int y = 0;
    unsigned int width = 0;
    unsigned int height = 0;
    unsigned int border = 0;
    unsigned int depth = 0;
    XGetGeometry(display, DefaultRootWindow(display), &root, &x, &y, &width, &height, &border,
                 &depth);
    return {static_cast<int>(width), static_cast<int>(height)};
}

} // namespace

std::unique_ptr<XRandrModeSource> XRandrModeSource::Open(const char* displayName) {
    Display* display = XOpenDisplay(displayName);
    if (display == nullptr) {
        return nullptr;
    }
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    const bool randr12 = XRRQueryExtension(display, &eventBase, &errorBase) &&
                         XRRQueryVersion(display, &major, &minor) &&
                         (major > 1 || (major == 1 && minor >= 2));
    const bool randr13 = major > 1 || (major == 1 && minor >= 3);
    Resources resources = randr12 ? ReadResources(display, randr13) : nullptr;
    const RROutput output = resources ? ChooseOutput(display, *resources, randr13) : 0;
    if (output == 0) {
        XCloseDisplay(display);
        return nullptr;
    }

    const int screen = DefaultScreen(display);
    const int32_t depth = DefaultDepth(display, screen);
    const int widthMillimetres = DisplayWidthMM(display, screen);
    const double dpi =
        widthMillimetres > 0 ? 25.4 * DisplayWidth(display, screen) / widthMillimetres : 96.0;

    std::vector<DisplayMode> modes;
    const OutputInfo info(XRRGetOutputInfo(display, resources.get(), output));
    for (int i = 0; info && i < info->nmode; ++i) {
        const XRRModeInfo* mode = FindMode(*resources, info->modes[i]);
        if (mode == nullptr) {
            continue;
        }
        DisplayMode entry;
        entry.BitsPerPel = static_cast<int16_t>(depth);
        entry.PelsWidth = static_cast<int32_t>(mode->width);
        entry.PelsHeight = static_cast<int32_t>(mode->height);
        entry.DisplayFrequency = RefreshRate(*mode);
        entry.PlatformId = mode->id;
        modes.push_back(entry);
    }
    return std::unique_ptr<XRandrModeSource>(
        new XRandrModeSource(display, output, depth, dpi, randr13, std::move(modes)));
}

XRandrModeSource::XRandrModeSource(_XDisplay* display, unsigned long output, int32_t depth,
                                   double dpi, bool hasCurrentResources,
                                   std::vector<DisplayMode> modes)
    : m_display(display), m_output(output), m_depth(depth), m_dpi(dpi),
      m_hasCurrentResources(hasCurrentResources), m_modes(std::move(modes)) {}

XRandrModeSource::~XRandrModeSource() {
    XCloseDisplay(m_display);
}

std::optional<DisplayMode> XRandrModeSource::Mode(int i) {
    if (i < 0 || static_cast<std::size_t>(i) >= m_modes.size()) {
        return std::nullopt;
    }
    return m_modes[static_cast<std::size_t>(i)];
}

int32_t XRandrModeSource::Change(const DisplayMode& wanted) {
    Display* display = m_display;
    // Read afresh: outputs, CRTCs and modes may have changed since the modes
    // were listed.
    Resources resources = ReadResources(display, m_hasCurrentResources);
    const OutputInfo output =
        resources ? OutputInfo(XRRGetOutputInfo(display, resources.get(), m_output)) : nullptr;
    if (!output || output->connection != RR_Connected || output->crtc == 0) {
        return kNoOutput;
    }
    const XRRModeInfo* mode = FindMode(*resources, wanted.PlatformId);
    // A mode id may have been freed and given to another mode meanwhile.
    if (mode == nullptr || !OffersMode(*output, mode->id) ||
        static_cast<int32_t>(mode->width) != wanted.PelsWidth ||
        static_cast<int32_t>(mode->height) != wanted.PelsHeight) {
        return kModeGone;
    }
    const RRCrtc crtcId = output->crtc;
    const CrtcInfo crtc(XRRGetCrtcInfo(display, resources.get(), crtcId));
    if (!crtc) {
        return kNoOutput;
    }

    // The screen must hold every CRTC at every step: it grows before the
    // CRTC takes a larger mode and shrinks after it took a smaller one.
    const Extent final = ExtentAfter(display, resources.get(), crtcId, *mode);
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    if (XRRGetScreenSizeRange(display, DefaultRootWindow(display), &minWidth, &minHeight, &maxWidth,
                              &maxHeight) &&
        (final.width > maxWidth || final.height > maxHeight)) {
        return kTooLarge;
    }
    const Extent target{std::max(final.width, minWidth), std::max(final.height, minHeight)};
    const Extent before = RootSize(display);
    const Extent between{std::max(before.width, target.width),
                         std::max(before.height, target.height)};
    auto resize = [&](Extent size) {
        XRRSetScreenSize(display, DefaultRootWindow(display), size.width, size.height,
                         static_cast<int>(std::lround(size.width * 25.4 / m_dpi)),
                         static_cast<int>(std::lround(size.height * 25.4 / m_dpi)));
    };
    std::vector<RROutput> outputs(crtc->outputs, crtc->outputs + crtc->noutput);
    if (outputs.empty()) {
        outputs.push_back(m_output);
    }

    // Other clients see the screen only as it was and as it ends up.
    ErrorTrap trap(display);
    XGrabServer(display);
    int32_t result = 0;
    bool crtcChanged = false;
    if (between != before) {
        resize(between);
    }
    if (trap.Failed()) {
        result = kXError;
    } else {
        const Status status = XRRSetCrtcConfig(display, resources.get(), crtcId, CurrentTime,
                                               crtc->x, crtc->y, mode->id, crtc->rotation,
                                               outputs.data(), static_cast<int>(outputs.size()));
        if (trap.Failed()) {
            result = kXError; // the reply's status then only says "failed"
        } else if (status != RRSetConfigSuccess) {
            result = status;
        } else {
            crtcChanged = true;
            if (target != between) {
                resize(target);
                // The CRTC shows the mode, but a screen left larger than it
                // is not what was asked for.
                result = trap.Failed() ? kXError : 0;
            }
        }
    }
    if (result != 0 && !crtcChanged && between != before) {
        resize(before); // the CRTC kept its mode: so does the screen
    }
    XUngrabServer(display);
    XSync(display, False);
    return result;
}

std::unique_ptr<DisplayModeSource> OpenDisplayModeSource(int widthPixels, int heightPixels,
                                                         int depth) {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application != nullptr && QGuiApplication::platformName() == QLatin1String("xcb")) {
        // The same X server as the GUI's, whatever told Qt which one.
        const char* name = nullptr;
        if (auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>()) {
            if (x11->display() != nullptr) {
                name = XDisplayString(x11->display());
            }
        }
        if (std::unique_ptr<XRandrModeSource> source = XRandrModeSource::Open(name)) {
            return source;
        }
    }
    return std::make_unique<CurrentModeOnly>(widthPixels, heightPixels, depth);
}

} // namespace vimbrel
