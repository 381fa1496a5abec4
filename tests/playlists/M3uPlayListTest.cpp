// M3U play lists and the entry forms every list format shares: which
// entries name local files, and which path each becomes.

#include "playlists/M3uPlayList.h"

#include "TempDirectory.h"
#include "playlists/PlayListEntry.h"

#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::TempDirectory;
using test::WriteBytes;
using Names = std::vector<std::string>;

TEST(M3uPlayList, PlainAndExtendedListsInEveryLineEndGiveTheSameEntries) {
    const Names expected = {"/music/a.mp3", "/music/b c.mp3", "/music/sub/d.wma"};
    const char* lists[] = {
        "a.mp3\nb c.mp3\nsub/d.wma\n",
        "a.mp3\r\nb c.mp3\r\nsub/d.wma",
        "a.mp3\rb c.mp3\rsub/d.wma\r",
        "\xEF\xBB\xBF"
        "a.mp3\n\n  \t\nb c.mp3\r\n\r\n   sub/d.wma   \r\n",
        "#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\n#EXTINF:-1,B\r\nb c.mp3\r\n"
        "#EXTVLCOPT:start-time=3\r\n  # indented comment\r\nsub/d.wma\r\n",
        "\xEF\xBB\xBF#EXTM3U\n#EXTINF:1,a.mp3\na.mp3\rb c.mp3\r\nsub/d.wma",
    };
    for (const char* list : lists) {
        EXPECT_EQ(ParseM3u(list, "/music"), expected) << list;
    }
    EXPECT_EQ(ParseM3u("", "/music"), Names{});
    EXPECT_EQ(ParseM3u("#EXTM3U\r\n\r\n#EXTINF:0,x\r\n", "/music"), Names{});
}

TEST(PlayListEntryPath, LocalFormsBecomePathsAndAddressesNameNothing) {
    const std::pair<const char*, const char*> cases[] = {
        // Relative and absolute paths.
        {"a.mp3", "/lists/a.mp3"},
        {"../up.mp3", "/lists/../up.mp3"},
        {"/abs/a.mp3", "/abs/a.mp3"},
        {"  padded.mp3\t", "/lists/padded.mp3"},
        // A colon alone makes no address.
        {"track:1.mp3", "/lists/track:1.mp3"},
        {"http:/not-an-address.mp3", "/lists/http:/not-an-address.mp3"},
        // Plain names are never percent-decoded.
        {"100%25.mp3", "/lists/100%25.mp3"},
        // File addresses.
        {"file:///music/a%20b.mp3", "/music/a b.mp3"},
        {"FILE://localhost/music/x.mp3", "/music/x.mp3"},
        {"file://LocalHost/m.mp3", "/m.mp3"},
        {"file:/music/one.mp3", "/music/one.mp3"},
        {"file:///m/%e9t%C3%A9%zz%4.mp3", "/m/\xE9t\xC3\xA9%zz%4.mp3"},
        {"file:///m/a?b#c.mp3", "/m/a?b#c.mp3"},
        // Network and other addresses.
        {"http://example.com/a.mp3", nullptr},
        {"HTTPS://example.com/a.mp3", nullptr},
        {"rtsp://media/stream", nullptr},
        {"mms://media/stream", nullptr},
        {"ftp://host/a.mp3", nullptr},
        {"smb://server/share/a.mp3", nullptr},
        {"x-custom+v1.2://anything", nullptr},
        {"file://server/share/a.mp3", nullptr},
        {"file://", nullptr},
        // Windows drives and shares.
        {"C:\\Music\\a.mp3", nullptr},
        {"d:/music/a.mp3", nullptr},
        {"file:///C:/Music/a.mp3", nullptr},
        {"\\\\server\\share\\a.mp3", nullptr},
        // Nothing at all, or a name the system cannot take.
        {"", nullptr},
        {" \t ", nullptr},
        {"file:///a%00b.mp3", nullptr},
    };
    for (const auto& [entry, expected] : cases) {
        const std::optional<std::string> path = PlayListEntryPath(entry, "/lists");
        if (expected == nullptr) {
            EXPECT_FALSE(path) << entry << " -> " << path.value_or("");
        } else {
            EXPECT_EQ(path.value_or("(nothing)"), expected) << entry;
        }
    }
    EXPECT_EQ(PlayListEntryPath("a.mp3", ""), "a.mp3");
    EXPECT_FALSE(PlayListEntryPath(std::string("a\0b.mp3", 7), "/lists"));
}

TEST(PlayListEntryPath, BackslashesAreFolderSeparatorsUnlessTheNameExistsAsWritten) {
    TempDirectory folder;
    std::filesystem::create_directories(folder / "sub" / "deeper");
    WriteBytes(folder / "sub" / "deeper" / "a.mp3", "");
    WriteBytes(folder / "odd\\name.mp3", "");
    const std::string base = folder.path().string();

    EXPECT_EQ(PlayListEntryPath("sub\\deeper\\a.mp3", folder.path()), base + "/sub/deeper/a.mp3");
    EXPECT_EQ(PlayListEntryPath("odd\\name.mp3", folder.path()), base + "/odd\\name.mp3");
    // Missing either way: the separators are read the Windows way.
    EXPECT_EQ(PlayListEntryPath("gone\\b.mp3", folder.path()), base + "/gone/b.mp3");
    EXPECT_EQ(PlayListEntryPath("\\music\\c.mp3", folder.path()), "/music/c.mp3");
    EXPECT_EQ(PlayListEntryPath("file:///m\\d.mp3", folder.path()), "/m/d.mp3");
}

TEST(M3uPlayList, EntriesAreBytesAndNetworkEntriesAreLeftOut) {
    const std::string list = "Rocks & Stones.jpg\n"
                             "  two  inner  blanks .mp3  \n"
                             "\xFF\xFE latin-1 caf\xE9.mp3\n"
                             "http://radio.example/stream\n"
                             "mms://media.example/clip.wmv\n"
                             "\xE2\x99\xAB.mp3\n"
                             "&amp;.mp3\n";
    EXPECT_EQ(ParseM3u(list, "/f"),
              (Names{"/f/Rocks & Stones.jpg", "/f/two  inner  blanks .mp3",
                     "/f/\xFF\xFE latin-1 caf\xE9.mp3", "/f/\xE2\x99\xAB.mp3", "/f/&amp;.mp3"}));
}

TEST(M3uPlayList, ReadingStopsWhenTheTakerIsDoneAndParsingIsBounded) {
    Names taken;
    ReadM3uEntries("a\nb\nc\nd\n", "", [&taken](std::string entry) {
        taken.push_back(std::move(entry));
        return taken.size() < 2;
    });
    EXPECT_EQ(taken, (Names{"a", "b"}));

    std::string huge;
    for (std::size_t i = 0; i < kMaxPlayListEntries + 500; ++i) {
        huge += "x\n";
    }
    EXPECT_EQ(ParseM3u(huge, "").size(), kMaxPlayListEntries);
}

} // namespace
} // namespace vimbrel
