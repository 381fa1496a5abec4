#include "controls/ErrorPolicies.h"

#include "platform/MessageBoxes.h"

#include <QCoreApplication>

namespace vimbrel {

void ReportUntrappedError(const Error& error, platform::MessageBoxes& messageBoxes) {
    messageBoxes.Show(FormatErrorReport(error), platform::MessageIcon::Critical,
                      platform::MessageButtons::Ok);
    QCoreApplication::exit(1);
}

void KeepDialogOnError(platform::MessageBoxes& messageBoxes, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& error) {
        messageBoxes.Show(FormatErrorReport(error), platform::MessageIcon::Critical,
                          platform::MessageButtons::Ok);
    } catch (const std::exception& error) {
        // A library's own failure (a file system error, memory) is shown the
        // same way, as the program's error of that kind.
        messageBoxes.Show(FormatErrorReport(ProgramErrorOf(error, "Vimbrel")),
                          platform::MessageIcon::Critical, platform::MessageButtons::Ok);
    }
}

} // namespace vimbrel
