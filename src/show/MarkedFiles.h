#pragma once

#include <cstdint>
#include <string>

namespace vimbrel {

struct CatalogueState;
namespace platform {
class ProfileFiles;
}

// Takes the current file out of the show: its play-list entry becomes
// "_" + its name, the file is renamed so (unless its name already begins
// with "_"), and its old name is recorded under [Options] LastFileName of
// the collection file. A rename that cannot be made (the new name is
// taken, a read-only folder, a vanished file) leaves the file as it is; the
// show goes on either way.
void MarkUnusableFile(CatalogueState& catalogue, platform::ProfileFiles& profiles,
                      const std::string& collectionFile);

// Puts the name into the play list in place of the current entry; nothing
// when the position is outside the list (a list left empty by a folder that
// held nothing).
void SetCurrentEntry(CatalogueState& catalogue, const std::string& name);

// Renames the current picture for breaking a size limit: to
// "_" + limit + "_" + name, in the play list too. When that rename fails,
// the file is marked unusable instead. The picture is still shown this
// time.
void RenameForSizeLimit(CatalogueState& catalogue, platform::ProfileFiles& profiles,
                        const std::string& collectionFile, int16_t limit);

} // namespace vimbrel
