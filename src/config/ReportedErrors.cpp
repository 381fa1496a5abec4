#include "config/ReportedErrors.h"

#include "runtime/Error.h"

#include <exception>

namespace vimbrel {

void RunReportingErrors(platform::MessageBoxes& boxes, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const Error& error) {
        boxes.Show(FormatErrorReport(error), platform::MessageIcon::Critical,
                   platform::MessageButtons::Ok);
    } catch (const std::exception& error) {
        // A library's own failure (a file system error, memory) is shown the
        // same way, as the program's error of that kind.
        boxes.Show(FormatErrorReport(ProgramErrorOf(error, "Vimbrel")),
                   platform::MessageIcon::Critical, platform::MessageButtons::Ok);
    }
}

} // namespace vimbrel
