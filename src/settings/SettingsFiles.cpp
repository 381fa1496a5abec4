#include "settings/SettingsFiles.h"

#include "platform/ProfileFile.h"
#include "runtime/Conversions.h"

namespace vimbrel {

std::vector<std::string> DefaultMasterFileLines() {
    return {"[Options]", "Settings=" + std::string(kDefaultCollectionFile), ""};
}

std::vector<std::string> DefaultCollectionFileLines() {
    return {"[Options]", "Description=" + std::string(kDefaultDescription), ""};
}

bool IsBareFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string BackupFileName(std::string_view collectionFile) {
    std::string backup = ReplaceText(collectionFile, ".ini", ".bak");
    if (backup == collectionFile) {
        backup += ".bak";
    }
    return backup;
}

std::string ProfileText(std::string_view value) {
    if (value.empty()) {
        return {};
    }
    const bool blankAtEdge =
        platform::IsProfileBlank(value.front()) || platform::IsProfileBlank(value.back());
    const bool quotedAlready = value.size() >= 2 &&
                               (value.front() == '"' || value.front() == '\'') &&
                               value.back() == value.front();
    if (blankAtEdge || quotedAlready) {
        return "\"" + std::string(value) + "\"";
    }
    return std::string(value);
}

std::vector<std::string> CollectionFileLines(const SettingsModel& model) {
    const CollectionSettings& s = model.settings;
    const auto number = [](auto value) { return std::to_string(value); };
    std::vector<std::string> lines = {
        "[Options]",
        "key_Beep=" + number(s.key_Beep),
        "key_Captions=" + number(s.key_Captions),
        "key_NewFolder=" + number(s.key_NewFolder),
        "key_Next=" + number(s.key_Next),
        "key_Pause=" + number(s.key_Pause),
        "key_Previous=" + number(s.key_Previous),
        "key_Rename=" + number(s.key_Rename),
        "key_Special=" + number(s.key_Special),
        "CurrentFolder=" + number(s.CurrentFolder),
        "Description=" + ProfileText(s.Description),
        "LastFileName=",
        "MouseMoves=" + number(s.MouseMoves),
        "RandomFolder=" + number(s.RandomFolder),
        "Folders=" + number(s.Folders),
    };
    // Written only when on, so that a collection that does not use it keeps
    // the file it always had.
    if (s.MoreFormats == 1) {
        lines.push_back("MoreFormats=1");
    }
    lines.insert(lines.end(),
                 {
                     "",
                     // The size limits are read from [Options] but always written here as
                     // 0: a limit is a hand-made setting that lasts until the next save.
                     "[Renaming]",
                     "MinWidth=0",
                     "MinHeight=0",
                     "MaxWidth=0",
                     "MaxHeight=0",
                     "",
                 });
    for (int n = 1; n <= s.Folders; ++n) {
        const FolderEntry entry = static_cast<std::size_t>(n) < model.FolderTable.size()
                                      ? model.FolderTable[static_cast<std::size_t>(n)]
                                      : FolderEntry{};
        lines.push_back("[Folder" + number(n) + "]");
        lines.push_back("Captions=" + number(entry.Captions));
        lines.push_back("Background=" + number(entry.Background));
        lines.push_back("Center=" + number(entry.Center));
        lines.push_back("Interval=" + number(entry.Interval));
        lines.push_back("ImageScale=" + number(entry.ImageScale));
        lines.push_back("RandomOrder=" + number(entry.RandomOrder));
        lines.push_back("Set=" + ProfileText(entry.Folder));
        lines.push_back("VideoScale=" + number(entry.VideoScale));
        lines.push_back("Resolution=" + number(entry.Resolution));
        lines.push_back("");
    }
    // Line breaks inside a folder path or description would split their
    // line into keys of their own.
    for (std::string& line : lines) {
        for (char& c : line) {
            if (c == '\r' || c == '\n') {
                c = '?';
            }
        }
    }
    return lines;
}

} // namespace vimbrel
