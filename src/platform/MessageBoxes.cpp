#include "platform/MessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>
#include <cstdio>

namespace vimbrel::platform {

namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Exclamation:
        return QMessageBox::Warning;
    case MessageIcon::Critical:
        return QMessageBox::Critical;
    case MessageIcon::Information:
        break;
    }
    return QMessageBox::Information;
}

} // namespace

MessageAnswer ScreenMessageBoxes::Show(std::string_view text, MessageIcon icon,
                                       MessageButtons buttons) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgramTitle.size()),
                 kProgramTitle.data(), static_cast<int>(text.size()), text.data());
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    QMessageBox box(IconOf(icon), QString::fromUtf8(kProgramTitle.data(), kProgramTitle.size()),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                     : QMessageBox::Ok);
    // Above the full-screen show, which stays on top.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    // The show holds the keyboard; the box takes it while it is open, so
    // that keys answer the box rather than being lost.
    QPointer<QWidget> grabber = QWidget::keyboardGrabber();
    if (grabber != nullptr) {
        grabber->releaseKeyboard();
    }
    const int answer = box.exec();
    if (grabber != nullptr) {
        grabber->grabKeyboard();
    }
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void ScreenMessageBoxes::Beep() {
    QApplication::beep();
}

} // namespace vimbrel::platform
