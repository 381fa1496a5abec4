#pragma once

#include "display/DisplayModes.h"

#include <memory>
#include <vector>

// Xlib's display type, declared here so that Xlib's macros (None, Bool,
// Status...) stay out of every file that includes this one.
struct _XDisplay;

namespace vimbrel {

// The display modes of an X server with RandR 1.2 or later: those of one
// output (the primary one, else the first connected output that drives a
// CRTC), in the order the server lists them for it, and switching that
// output's CRTC between them. The source keeps a connection of its own, so
// that its requests, errors and server grab never mix with the GUI
// library's.
class XRandrModeSource final : public DisplayModeSource {
public:
    // Codes of Change() besides 0 and RandR's own statuses (1..3).
    static constexpr int32_t kNoOutput = -1; // the output or its CRTC is gone
    static constexpr int32_t kModeGone = -2; // the output no longer offers the mode
    static constexpr int32_t kTooLarge = -3; // the screen cannot grow to hold the mode
    static constexpr int32_t kXError = -4;   // the server refused a request

    // Connects to the named X display (nullptr: $DISPLAY). Nothing when the
    // display cannot be opened, lacks RandR 1.2, or has no connected output
    // that drives a CRTC.
    static std::unique_ptr<XRandrModeSource> Open(const char* displayName);
    ~XRandrModeSource() override;
    XRandrModeSource(const XRandrModeSource&) = delete;
    XRandrModeSource& operator=(const XRandrModeSource&) = delete;

    int32_t DesktopColorDepth() override { return m_depth; }
    // The modes as read when the source was opened.
    std::optional<DisplayMode> Mode(int i) override;
    // Sets the output's CRTC to the mode, at the CRTC's place and rotation,
    // and fits the X screen to the CRTCs' new extent. 0 when done; a RandR
    // status or one of the codes above when not, and then the screen keeps
    // its size.
    int32_t Change(const DisplayMode& mode) override;

private:
    XRandrModeSource(_XDisplay* display, unsigned long output, int32_t depth, double dpi,
                     bool hasCurrentResources, std::vector<DisplayMode> modes);

    _XDisplay* m_display;
    unsigned long m_output; // RROutput
    int32_t m_depth;
    double m_dpi; // kept when the screen is resized, for its size in millimetres
    bool m_hasCurrentResources;
    std::vector<DisplayMode> m_modes;
};

// The display modes the program works with: XRandR's where the GUI runs on
// X11 (Qt's xcb platform) and the server has RandR 1.2 or later, otherwise
// (offscreen, Wayland, no RandR) the screen as it is, with the given size
// in pixels and depth.
std::unique_ptr<DisplayModeSource> OpenDisplayModeSource(int widthPixels, int heightPixels,
                                                         int depth);

} // namespace vimbrel
