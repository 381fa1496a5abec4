#pragma once

#include <string_view>

namespace vimbrel {

struct ProgramState;
namespace platform {
struct Services;
}

// Reads [Options] of the collection file into the collection settings. Each
// whole number is 16-bit: one that does not fit raises the overflow error at
// its key, and the keys after it keep their previous values. In mode /S
// with RandomFolder = 1 the show's folder is drawn at random.
void LoadCollectionSettings(ProgramState& state, platform::Services& services,
                            std::string_view file);

// Reads [Folder<n>] of the collection file into FolderTable entry n, which
// must exist. The same overflow rule holds (except for the 32-bit colour).
void LoadFolderTable(ProgramState& state, platform::Services& services, int16_t n);

// Copies the collection file to its backup, then writes the collection file
// whole from the model. The new content replaces the file in one step, so
// a failure never leaves it half written; any failure reaches the caller.
// Makes the settings directory the current directory.
void SaveCollectionSettings(ProgramState& state, platform::Services& services);

} // namespace vimbrel
