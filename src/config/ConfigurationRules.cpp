#include "config/ConfigurationRules.h"

#include "display/DisplayModes.h"
#include "platform/Collation.h"

#include <algorithm>

namespace vimbrel {

std::string IntervalCaption(int seconds) {
    return "Interval = " + std::to_string(seconds / 60) + " minutes and " +
           std::to_string(seconds % 60) + " seconds";
}

std::string MouseSensitivityCaption(int mouseMoves) {
    return "Mouse Sensitivity = " + std::to_string(mouseMoves);
}

std::vector<std::string> ResolutionEntries(const DisplayModeState& display) {
    std::vector<std::string> entries;
    const auto count = static_cast<std::size_t>(std::max(display.ModeCount + 1, 0));
    for (std::size_t i = 0; i < count && i < display.DisplayModes.size(); ++i) {
        const DisplayMode& mode = display.DisplayModes[i];
        if (mode.BitsPerPel == display.ColorDepth) {
            entries.push_back(std::to_string(mode.PelsWidth) + "x" +
                              std::to_string(mode.PelsHeight));
        }
    }
    return entries;
}

FolderEntry NewFolderEntry(std::string path, const DisplayModeState& display) {
    FolderEntry entry;
    entry.Folder = std::move(path);
    entry.Background = 0;
    entry.Captions = 0;
    entry.Center = 0;
    entry.Interval = 3;
    entry.ImageScale = 2;
    entry.RandomOrder = 1;
    entry.VideoScale = 0;
    entry.Resolution = static_cast<int16_t>(CurrentResolution(display));
    return entry;
}

std::vector<int16_t> FolderListOrder(const SettingsModel& model) {
    const int folders =
        std::min<int>(model.settings.Folders, static_cast<int>(model.FolderTable.size()) - 1);
    std::vector<int16_t> order;
    for (int n = 1; n <= folders; ++n) {
        order.push_back(static_cast<int16_t>(n));
    }
    const platform::NameCollation collation;
    std::stable_sort(order.begin(), order.end(), [&](int16_t a, int16_t b) {
        return collation.Compare(model.FolderTable[static_cast<std::size_t>(a)].Folder,
                                 model.FolderTable[static_cast<std::size_t>(b)].Folder) < 0;
    });
    return order;
}

std::string SubFolderBase(std::string_view chosen) {
    std::string base(chosen);
    while (base.size() > 1 && base.back() == '/') {
        base.pop_back();
    }
    return base;
}

std::string SubFolderPath(std::string_view base, std::string_view name) {
    std::string path(base);
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

QString KeyFieldText(int16_t code) {
    const QChar character(static_cast<char16_t>(code));
    if (code <= 0 || character.isSurrogate()) {
        return {};
    }
    return QString(character).toUpper();
}

std::optional<int16_t> KeyCodeOf(const QString& text) {
    if (text.isEmpty()) {
        return std::nullopt;
    }
    // One character, even where its lower case would be two.
    const char16_t code = QString(text.at(0)).toLower().at(0).unicode();
    if (code > 0x7FFF) {
        return std::nullopt;
    }
    return static_cast<int16_t>(code);
}

} // namespace vimbrel
