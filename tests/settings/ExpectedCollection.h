#pragma once

// The text a full save of a collection writes: every key in its place with
// its default, but for the values given ("key=value|key=value").

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace vimbrel::test {

inline std::string ExpectedCollection(const std::string& options,
                                      const std::vector<std::string>& folders) {
    const auto section = [](const std::string& header, const std::string& defaults,
                            const std::string& given) {
        std::map<std::string, std::string> values;
        std::string text = header + "\r\n", entry;
        for (std::istringstream in(given); std::getline(in, entry, '|');) {
            values[entry.substr(0, entry.find('='))] = entry;
        }
        for (std::istringstream in(defaults); std::getline(in, entry, '|');) {
            text += values.try_emplace(entry.substr(0, entry.find('=')), entry).first->second;
            text += "\r\n";
        }
        return text + "\r\n";
    };
    std::string text =
        section("[Options]",
                "key_Beep=0|key_Captions=102|key_NewFolder=115|key_Next=110|key_"
                "Pause=122|key_Previous=112|key_Rename=114|key_Special=0|"
                "CurrentFolder=1|Description=<default collection>|LastFileName=|"
                "MouseMoves=4|RandomFolder=1|Folders=" +
                    std::to_string(folders.size()),
                options) +
        "[Renaming]\r\nMinWidth=0\r\nMinHeight=0\r\nMaxWidth=0\r\nMaxHeight=0\r\n\r\n";
    for (std::size_t i = 0; i < folders.size(); ++i) {
        text += section("[Folder" + std::to_string(i + 1) + "]",
                        "Captions=0|Background=0|Center=0|Interval=3|ImageScale=2|RandomOrder=1|"
                        "Set=|VideoScale=0|Resolution=0",
                        folders[i]);
    }
    return text;
}

} // namespace vimbrel::test
