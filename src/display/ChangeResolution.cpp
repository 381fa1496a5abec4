#include "display/ChangeResolution.h"

#include "display/ScreenState.h"
#include "platform/MessageBoxes.h"
#include "platform/Screen.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <string>

namespace vimbrel {

namespace {

constexpr const char* kFollowerName = "vimbrel-screen-follower";

// Puts the window back over the mode's area whenever a screen reports a new
// geometry, until the follower expires. A later change replaces it, so that
// only the newest mode's size is followed.
void FollowScreen(QWidget* form, const QRect& area) {
    delete form->findChild<QObject*>(kFollowerName, Qt::FindDirectChildrenOnly);
    auto* follower = new QObject(form);
    follower->setObjectName(kFollowerName);
    const QPointer<QWidget> window(form);
    auto fit = [window, area] {
        if (window && window->geometry() != area) {
            window->setGeometry(area);
        }
    };
    // Every screen, not just the window's: a new size can also reach the
    // GUI library as one screen going and another coming.
    auto watch = [follower, fit](QScreen* screen) {
        QObject::connect(screen, &QScreen::geometryChanged, follower, fit);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        watch(screen);
    }
    if (auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        QObject::connect(application, &QGuiApplication::screenAdded, follower,
                         [watch, fit](QScreen* screen) {
                             watch(screen);
                             fit();
                         });
        QObject::connect(application, &QGuiApplication::primaryScreenChanged, follower, fit);
    }
    QTimer::singleShot(kFollowScreenMilliseconds, follower, &QObject::deleteLater);
}

} // namespace

void ChangeResolution(DisplayModeState& display, ScreenState& screen, DisplayModeSource& source,
                      platform::MessageBoxes& boxes, QWidget* form, int32_t index) {
    if (index < 0 || index > display.ModeCount ||
        static_cast<std::size_t>(index) >= display.DisplayModes.size()) {
        return;
    }
    DisplayMode& mode = display.DisplayModes[static_cast<std::size_t>(index)];
    mode.Fields = kChangeDepthAndSize;
    const int32_t result = source.Change(mode);

    screen.ScreenWidth = platform::TwipsPerPixelX * mode.PelsWidth;
    screen.ScreenHeight = platform::TwipsPerPixelY * mode.PelsHeight;
    const QRect area(0, 0, mode.PelsWidth, mode.PelsHeight);
    if (form != nullptr) {
        form->setGeometry(area);
        if (result == 0) {
            FollowScreen(form, area);
        }
    }
    if (result != 0) {
        // Linux switches modes without a restart, so no code asks for one.
        boxes.Show("Error changing resolution! Returned: " + std::to_string(result),
                   platform::MessageIcon::Information, platform::MessageButtons::Ok);
    }
}

} // namespace vimbrel
