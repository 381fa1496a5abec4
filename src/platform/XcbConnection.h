#pragma once

// The GUI library's own connection to the X server, for the platform
// services that speak to X directly (windows of other programs, grabs).

#include <QGuiApplication>
#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>

namespace vimbrel::platform {

// The connection, or null where the GUI does not run on X11 (Wayland, the
// offscreen platform, no GUI at all).
inline xcb_connection_t* XcbConnection() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (application == nullptr || QGuiApplication::platformName() != QLatin1String("xcb")) {
        return nullptr;
    }
    auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 != nullptr ? x11->connection() : nullptr;
}

// A reply of the X server, freed as xcb asks.
template <typename Reply> using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

} // namespace vimbrel::platform
