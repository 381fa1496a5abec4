#pragma once

#include <cstdint>

namespace vimbrel {

struct FolderOrder;
namespace platform {
class RandomSource;
}

// Shuffles the folder numbers 1..folders into the order the next-folder key
// follows, and points FolderIndex at the position of currentFolder (0 when
// no position holds it). The exchanges move every folder away from its own
// place: three folders always give 2, 3, 1.
void BuildFolderOrder(FolderOrder& order, int16_t folders, int16_t currentFolder,
                      platform::RandomSource& random);

} // namespace vimbrel
