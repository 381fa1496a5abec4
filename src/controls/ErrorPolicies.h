#pragma once

#include "runtime/Error.h"

#include <exception>
#include <functional>

namespace vimbrel {

namespace platform {
class MessageBoxes;
}

// What becomes of an error that the code running into it does not handle.
// Three policies, each named for what the user sees.

// The end of an error that no procedure handled: the user sees its number
// and description, then the program ends.
void ReportUntrappedError(const Error& error, platform::MessageBoxes& messageBoxes);

// A window's event handler: an error it does not handle is reported and ends
// the program, as at the top of the event loop. A library's failure is
// reported as the program's own error of that kind.
template <typename Handler>
void EndProgramOnError(platform::MessageBoxes& messageBoxes, Handler&& handler) {
    try {
        handler();
    } catch (const Error& error) {
        ReportUntrappedError(error, messageBoxes);
    } catch (const std::exception& error) {
        ReportUntrappedError(ProgramErrorOf(error, "Vimbrel"), messageBoxes);
    }
}

// A dialog's handler: an error it raises is shown with its number and
// description, and the dialog stays open with the user's edits.
void KeepDialogOnError(platform::MessageBoxes& messageBoxes, const std::function<void()>& handler);

// One step of a sequence that goes on after a failing step (start-up, the
// collections dialog's housekeeping): the error is passed over.
template <typename Step> void SkipOnError(Step&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace vimbrel
