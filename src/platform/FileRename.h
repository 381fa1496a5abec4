#pragma once

#include <filesystem>

namespace vimbrel::platform {

// Renames a file, but never over another one: when the new name is taken
// the rename fails with error 58 ("File already exists") and both files
// stay as they were. A missing file is error 53; other failures (a
// read-only folder) raise their own numbers.
void RenameNoReplace(const std::filesystem::path& from, const std::filesystem::path& to);

} // namespace vimbrel::platform
