// Collection files as people and other systems write them, through the
// program's start-up and the configuration dialog's OK without a change:
// what the save writes, byte for byte. Numbers in hexadecimal, a header
// without its bracket, tabs and vertical tabs, Windows-1252 bytes, an
// overflow that stops a folder's load, and duplicates.

#include "ConfigurationFixture.h"
#include "TempDirectory.h"

#include <map>

namespace vimbrel::test {
namespace {

using Values = std::map<std::string, std::string>;

// A full save: every key in its place with its default, but for the values
// given.
std::string Saved(const Values& options, const std::vector<Values>& folders) {
    const std::vector<std::pair<std::string, std::string>> optionKeys = {
        {"key_Beep", "0"},        {"key_Captions", "102"},
        {"key_NewFolder", "115"}, {"key_Next", "110"},
        {"key_Pause", "122"},     {"key_Previous", "112"},
        {"key_Rename", "114"},    {"key_Special", "0"},
        {"CurrentFolder", "1"},   {"Description", ""},
        {"LastFileName", ""},     {"MouseMoves", "4"},
        {"RandomFolder", "1"},    {"Folders", std::to_string(folders.size())}};
    const std::vector<std::pair<std::string, std::string>> folderKeys = {
        {"Captions", "0"}, {"Background", "0"}, {"Center", "0"},
        {"Interval", "3"}, {"ImageScale", "2"}, {"RandomOrder", "1"},
        {"Set", ""},       {"VideoScale", "0"}, {"Resolution", "0"}};
    const auto section = [](std::vector<std::string>& lines, const auto& keys,
                            const Values& values) {
        for (const auto& [key, fallback] : keys) {
            const auto given = values.find(key);
            lines.push_back(key + "=" + (given != values.end() ? given->second : fallback));
        }
        lines.push_back("");
    };
    std::vector<std::string> lines = {"[Options]"};
    section(lines, optionKeys, options);
    for (const char* line :
         {"[Renaming]", "MinWidth=0", "MinHeight=0", "MaxWidth=0", "MaxHeight=0", ""}) {
        lines.push_back(line);
    }
    for (std::size_t i = 0; i < folders.size(); ++i) {
        lines.push_back("[Folder" + std::to_string(i + 1) + "]");
        section(lines, folderKeys, folders[i]);
    }
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line + "\r\n";
    }
    return bytes;
}

struct RoundTrip {
    const char* name;
    std::string file;
    std::string saved;
};

class CollectionRoundTrip : public ConfigurationTest,
                            public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(CollectionRoundTrip, UntouchedOkWritesWhatWasRead) {
    WriteBytes(platform / "vimbrel.ini", CrLf({"[Options]", "Settings=vimbrel000.ini"}));
    WriteBytes(CollectionPath(), GetParam().file);
    Configuration& d = Open();
    d.Command5->click();
    ASSERT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(CollectionBytes(), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(
    NastyFiles, CollectionRoundTrip,
    ::testing::Values(
        RoundTrip{"HexNumbersAndHeadersWithoutTheirBracket",
                  CrLf({"[Options", "Folders=0x2", "MouseMoves=0x0A", "key_Special=0X1",
                        "Description=Hex", "[Folder1", "Set=/media/a", "Background=0xFF0000",
                        "Interval=0x3C", "[Folder2]", "Set=/media/b"}),
                  Saved({{"key_Special", "1"}, {"Description", "Hex"}, {"MouseMoves", "10"}},
                        {{{"Set", "/media/a"}, {"Background", "16711680"}, {"Interval", "60"}},
                         {{"Set", "/media/b"}}})},
        RoundTrip{"TabsAndVerticalTabsAroundNamesAndValues",
                  CrLf({"\v[\tOptions\v]", "\v Description \t=\v Two  Words \t\v",
                        "\tFolders\v=\t1\v", "[Folder1]", "\tSet\v=\v\"/media/edge\v\"\t"}),
                  Saved({{"Description", "Two  Words"}}, {{{"Set", "\"/media/edge\v\""}}})},
        RoundTrip{
            "Windows1252BytesStayAsTheyWere",
            CrLf({"[Options]", "Description=Caf\xE9 na\xEFve \x80", "Folders=1", "[Folder1]",
                  "Set=/media/\xE9t\xE9"}),
            Saved({{"Description", "Caf\xE9 na\xEFve \x80"}}, {{{"Set", "/media/\xE9t\xE9"}}})},
        RoundTrip{"OverflowStopsTheFolderAtItsKey",
                  CrLf({"[Options]", "Folders=1", "Description=Big", "[Folder1]", "Set=/media/a",
                        "Center=1", "Interval=99999", "ImageScale=1"}),
                  // The keys from the overflow on keep what the new entry held.
                  Saved({{"Description", "Big"}}, {{{"Set", "/media/a"},
                                                    {"Center", "1"},
                                                    {"Interval", "0"},
                                                    {"ImageScale", "0"},
                                                    {"RandomOrder", "0"}}})},
        RoundTrip{"FirstSectionAndFirstKeyWin",
                  CrLf({"[Options]", "Description=First", "Description=Second", "Folders=1",
                        "[Folder1]", "Set=/media/one", "Set=/media/two", "[Options]", "Folders=5",
                        "[Folder1]", "Center=1"}),
                  Saved({{"Description", "First"}}, {{{"Set", "/media/one"}}})},
        RoundTrip{
            "ValuesNoControlCanShowAreKept",
            CrLf({"[Options]", "MouseMoves=500", "key_Beep=5", "RandomFolder=7", "key_Special=3",
                  "key_Next=78", "Description=Kept", "Folders=1", "[Folder1]", "Set=/media/a"}),
            Saved({{"MouseMoves", "500"},
                   {"key_Beep", "5"},
                   {"RandomFolder", "7"},
                   {"key_Special", "3"},
                   {"key_Next", "78"},
                   {"Description", "Kept"}},
                  {{{"Set", "/media/a"}}})}),
    [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace vimbrel::test
