#include "show/MarkedFiles.h"

#include "platform/FileRename.h"
#include "platform/ProfileFile.h"
#include "platform/Services.h"
#include "runtime/Error.h"
#include "show/ImageLayout.h"
#include "state/ProgramState.h"

namespace vimbrel {

void SetCurrentEntry(CatalogueState& catalogue, const std::string& name) {
    const auto position = static_cast<std::size_t>(catalogue.PlayListPosition);
    if (catalogue.PlayListPosition >= 0 && position < catalogue.PlayList.size()) {
        catalogue.PlayList[position] = name;
    }
}

void MarkUnusableFile(ProgramState& state, platform::Services& services) {
    CatalogueState& catalogue = state.catalogue;
    const std::string name = catalogue.CurrentFile;
    SetCurrentEntry(catalogue, "_" + name);
    if (name.empty() || name.front() != '_') {
        try {
            platform::RenameNoReplace(name, "_" + name);
        } catch (const Error&) {
            // The file stays as it is: never renamed over another one.
        }
    }
    try {
        services.profiles.WritePrivateProfileString("Options", "LastFileName", name,
                                                    state.files.CollectionFile);
    } catch (const Error&) {
        // A settings file that cannot be written does not stop the show.
    }
}

void RenameForSizeLimit(ProgramState& state, platform::Services& services, int16_t limit) {
    CatalogueState& catalogue = state.catalogue;
    const std::string renamed = SizeRenamedName(limit, catalogue.CurrentFile);
    try {
        platform::RenameNoReplace(catalogue.CurrentFile, renamed);
        SetCurrentEntry(catalogue, renamed);
    } catch (const Error&) {
        MarkUnusableFile(state, services);
    }
}

} // namespace vimbrel
