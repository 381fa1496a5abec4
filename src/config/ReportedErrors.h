#pragma once

#include "platform/MessageBoxes.h"

#include <functional>

namespace vimbrel {

// Runs a dialog's handler; an error it raises is shown with its number and
// description, and the dialog stays open with the user's edits.
void RunReportingErrors(platform::MessageBoxes& boxes, const std::function<void()>& handler);

} // namespace vimbrel
