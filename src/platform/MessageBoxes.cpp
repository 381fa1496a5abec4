#include "platform/MessageBoxes.h"

#include "platform/ScreenHold.h"

#include <QApplication>
#include <QMessageBox>
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

// Every message also goes to standard error, under the program's title.
void WriteToStandardError(std::string_view text) {
    std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(kProgramTitle.size()),
                 kProgramTitle.data(), static_cast<int>(text.size()), text.data());
}

} // namespace

void WriteToTerminal(std::string_view text) {
    WriteToStandardError(text);
}

MessageAnswer ScreenMessageBoxes::Show(std::string_view text, MessageIcon icon,
                                       MessageButtons buttons) {
    WriteToStandardError(text);
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
    QMessageBox box(IconOf(icon), QString::fromUtf8(kProgramTitle.data(), kProgramTitle.size()),
                    QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())),
                    buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                     : QMessageBox::Ok);
    // Above the show when one holds the screen, with the keys while it is
    // open; the show gets them back afterwards.
    const AboveTheShow above(box);
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok) {
        return MessageAnswer::Ok;
    }
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

void ScreenMessageBoxes::Beep() {
    QApplication::beep();
}

MessageAnswer TerminalMessageBoxes::Show(std::string_view text, MessageIcon,
                                         MessageButtons buttons) {
    WriteToStandardError(text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

} // namespace vimbrel::platform
