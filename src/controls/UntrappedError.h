#pragma once

#include "runtime/Error.h"

#include <exception>

namespace vimbrel {

namespace platform {
class MessageBoxes;
}

// The end of an error that no procedure handled: the user sees its number
// and description, then the program ends.
void ReportUntrappedError(const Error& error, platform::MessageBoxes& messageBoxes);

// Runs a window's event handler; an error it does not handle itself is
// reported and ends the program, as at the top of the event loop.
template <typename Handler> void Guarded(platform::MessageBoxes& messageBoxes, Handler&& handler) {
    try {
        handler();
    } catch (const Error& error) {
        ReportUntrappedError(error, messageBoxes);
    } catch (const std::exception& error) {
        ReportUntrappedError(ProgramErrorOf(error, "Vimbrel"), messageBoxes);
    }
}

} // namespace vimbrel
