#pragma once

#include <filesystem>

namespace vimbrel::platform {

// Deletes a plain file. A missing file is error 53 and any other failure
// (a read-only folder) raises its own number; callers that do not mind a
// file that was never there catch it.
void DeleteFile(const std::filesystem::path& path);

} // namespace vimbrel::platform
