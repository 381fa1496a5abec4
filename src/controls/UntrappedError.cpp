#include "controls/UntrappedError.h"

#include "platform/MessageBoxes.h"

#include <QCoreApplication>

namespace vimbrel {

void ReportUntrappedError(const Error& error, platform::MessageBoxes& messageBoxes) {
    messageBoxes.Show(FormatErrorReport(error), platform::MessageIcon::Critical,
                      platform::MessageButtons::Ok);
    QCoreApplication::exit(1);
}

} // namespace vimbrel
