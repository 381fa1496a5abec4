#pragma once

// The text a full save of a collection writes: every key in its place with
// its default, but for the values given ("key=value|key=value"); with
// MoreFormats=1 after Folders when `moreFormats`.

#include <sstream>
#include <string>
#include <vector>

namespace vimbrel::test {

inline std::string ExpectedCollection(const std::string& options,
                                      const std::vector<std::string>& folders,
                                      bool moreFormats = false) {
    const auto with = [](std::string text, const std::string& given) {
        std::string entry;
        for (std::istringstream in(given); std::getline(in, entry, '|');) {
            const auto at = text.find("\n" + entry.substr(0, entry.find('=') + 1)) + 1;
            text.replace(at, text.find('\r', at) - at, entry);
        }
        return text;
    };
    std::string text =
        with("[Options]\r\nkey_Beep=0\r\nkey_Captions=102\r\nkey_NewFolder=115\r\n"
             "key_Next=110\r\nkey_Pause=122\r\nkey_Previous=112\r\nkey_Rename=114\r\n"
             "key_Special=0\r\nCurrentFolder=1\r\nDescription=<default collection>"
             "\r\nLastFileName=\r\nMouseMoves=4\r\nRandomFolder=1\r\nFolders=" +
                 std::to_string(folders.size()) + (moreFormats ? "\r\nMoreFormats=1" : "") +
                 "\r\n\r\n[Renaming]\r\nMinWidth=0\r\nMinHeight=0\r\nMaxWidth=0\r\n"
                 "MaxHeight=0\r\n\r\n",
             options);
    for (std::size_t i = 0; i < folders.size(); ++i) {
        text += with("[Folder" + std::to_string(i + 1) +
                         "]\r\nCaptions=0\r\nBackground=0\r\nCenter=0\r\nInterval=3\r\nImageScale="
                         "2\r\nRandomOrder=1\r\nSet=\r\nVideoScale=0\r\nResolution=0\r\n\r\n",
                     folders[i]);
    }
    return text;
}

} // namespace vimbrel::test
