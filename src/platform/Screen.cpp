#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace vimbrel::platform {

ScreenSize PrimaryScreenSize() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return {};
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return {};
    }
    const QSize size = screen->size();
    return {size.width() * TwipsPerPixelX, size.height() * TwipsPerPixelY};
}

} // namespace vimbrel::platform
