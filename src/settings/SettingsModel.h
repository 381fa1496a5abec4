#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vimbrel {

// The global options of the active collection, as its [Options] section
// holds them. A fresh model is all zeros and empty, like the program's
// state before anything is loaded; the defaults of a missing key come from
// the loader.
struct CollectionSettings {
    int16_t key_Beep = 0;     // 1: beep after a special key
    int16_t key_Captions = 0; // character codes of the special keys
    int16_t key_NewFolder = 0;
    int16_t key_Next = 0;
    int16_t key_Pause = 0;
    int16_t key_Previous = 0;
    int16_t key_Rename = 0;
    int16_t key_Special = 0;   // 1: special keys are active
    int16_t CurrentFolder = 0; // 1-based number of the folder being shown
    int16_t MouseMoves = 0;    // pointer events that end the show
    int16_t RandomFolder = 0;  // 1: the show starts in a random folder
    int16_t Folders = 0;       // number of folders
    // 1: the show takes today's formats too (PNG, HEIC, MP4, FLAC...),
    // beside the fifteen classic types.
    int16_t MoreFormats = 0;
    // Picture size limits in pixels, 0 for none.
    int16_t MinWidth = 0;
    int16_t MinHeight = 0;
    int16_t MaxWidth = 0;
    int16_t MaxHeight = 0;
    std::string Description;
};

// One folder of the collection and the options it is shown with.
struct FolderEntry {
    int32_t Background = 0;  // red + 256 * green + 65536 * blue
    int16_t Captions = 0;    // 1: the file name is shown under each item
    int16_t Center = 0;      // 1: pictures centred, else placed at random
    int16_t Interval = 0;    // seconds a picture stays
    int16_t ImageScale = 0;  // picture sizing choice
    int16_t RandomOrder = 0; // 0: sorted by name, else shuffled
    std::string Folder;      // the folder's path
    int16_t VideoScale = 0;  // video sizing choice
    int16_t Resolution = 0;  // display mode, counted from the first mode of the desktop's depth
};

struct SettingsModel {
    CollectionSettings settings;
    // Entries 1..Folders are the folders [Folder1]..[Folder<Folders>];
    // entry 0 is there so that a folder's number is its index, and unused.
    std::vector<FolderEntry> FolderTable = std::vector<FolderEntry>(1);

    // Sizes the table to 0..folders (just entry 0 for folders <= 0),
    // keeping the entries that stay.
    void ResizeFolderTable(int folders) {
        FolderTable.resize(static_cast<std::size_t>(folders > 0 ? folders : 0) + 1);
    }
};

} // namespace vimbrel
