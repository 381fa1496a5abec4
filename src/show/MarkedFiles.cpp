#include "show/MarkedFiles.h"

#include "catalogue/CatalogueState.h"
#include "platform/FileRename.h"
#include "platform/ProfileFile.h"
#include "runtime/Error.h"
#include "show/ImageLayout.h"

namespace vimbrel {

void SetCurrentEntry(CatalogueState& catalogue, const std::string& name) {
    const auto position = static_cast<std::size_t>(catalogue.PlayListPosition);
    if (catalogue.PlayListPosition >= 0 && position < catalogue.PlayList.size()) {
        catalogue.PlayList[position] = name;
    }
}

void MarkUnusableFile(CatalogueState& catalogue, platform::ProfileFiles& profiles,
                      const std::string& collectionFile) {
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
        profiles.WritePrivateProfileString("Options", "LastFileName", name, collectionFile);
    } catch (const Error&) {
        // A settings file that cannot be written does not stop the show.
    }
}

void RenameForSizeLimit(CatalogueState& catalogue, platform::ProfileFiles& profiles,
                        const std::string& collectionFile, int16_t limit) {
    const std::string renamed = SizeRenamedName(limit, catalogue.CurrentFile);
    try {
        platform::RenameNoReplace(catalogue.CurrentFile, renamed);
        SetCurrentEntry(catalogue, renamed);
    } catch (const Error&) {
        MarkUnusableFile(catalogue, profiles, collectionFile);
    }
}

} // namespace vimbrel
