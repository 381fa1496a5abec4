// Play list files as the show reads them: the reader each extension takes,
// lists nested in lists, and the limits that keep hostile or broken lists
// from looping, hanging or filling memory. All lists are real files.

#include "playlists/PlayListFile.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using test::TempDirectory;
using test::WriteBytes;
using Names = std::vector<std::string>;

class PlayListFileTest : public ::testing::Test {
protected:
    std::string At(std::string_view name) const { return (folder / name).string(); }
    Names At(std::initializer_list<std::string_view> names) const {
        Names paths;
        for (std::string_view name : names) {
            paths.push_back(At(name));
        }
        return paths;
    }
    Names Read(std::string_view name) const { return ReadPlayListFile(At(name)); }
    // The error reading the list raises: its number, and its description.
    std::pair<int, std::string> Failure(std::string_view name) const {
        try {
            ReadPlayListFile(At(name));
        } catch (const Error& error) {
            EXPECT_EQ(error.source(), "PlayList");
            return {error.number(), error.description()};
        }
        return {0, ""};
    }

    TempDirectory folder;
};

TEST_F(PlayListFileTest, TheExtensionChoosesTheReaderInAnyCase) {
    const std::string asx = "<asx><entry><ref href=\"a.mp3\"/></entry></asx>";
    const std::string m3u = "#EXTM3U\r\na.mp3\r\n";
    for (const char* name : {"l.asx", "L.WAX", "l.Wvx"}) {
        WriteBytes(folder / name, asx);
        EXPECT_EQ(Read(name), At({"a.mp3"})) << name;
    }
    for (const char* name : {"l.m3u", "L.M3U8", "l.txt", "no-extension"}) {
        WriteBytes(folder / name, m3u);
        EXPECT_EQ(Read(name), At({"a.mp3"})) << name;
    }
    // An M3U list with an ASX name is no ASX list.
    WriteBytes(folder / "wrong.asx", m3u);
    EXPECT_EQ(Failure("wrong.asx"), std::make_pair(ErrorNumber::PathFileAccessError,
                                                   "Not an ASX play list: " + At("wrong.asx")));

    const std::pair<const char*, bool> names[] = {
        {"a.m3u", true},   {"a.M3u8", true}, {"a.ASX", true},      {"/x/a.wax", true},
        {"a.WVX", true},   {"a.mp3", false}, {"a.m3u.mp3", false}, {"m3u", false},
        {"a.m3/u", false}, {"", false},      {"a.asx8", false},
    };
    for (const auto& [name, isList] : names) {
        EXPECT_EQ(IsPlayListName(name), isList) << name;
    }
}

TEST_F(PlayListFileTest, NestedListsAreExpandedInPlaceFromTheirOwnFolders) {
    std::filesystem::create_directories(folder / "sub" / "deeper");
    WriteBytes(folder / "top.m3u", "a.mp3\nsub/inner.ASX\nb.mp3\n");
    WriteBytes(folder / "sub" / "inner.ASX", "<asx><entry><ref href=\"c.mp3\"/></entry>"
                                             "<entryref href=\"deeper/list.m3u8\"/>"
                                             "<entry><ref href=\"other.wvx\"/></entry></asx>");
    WriteBytes(folder / "sub" / "deeper" / "list.m3u8", "d.mp3\nfile://" + At("e.mp3") + "\n");
    WriteBytes(folder / "sub" / "other.wvx", "<asx><entry><ref href=\"f.mp3\"/></entry></asx>");
    EXPECT_EQ(Read("top.m3u"),
              At({"a.mp3", "sub/c.mp3", "sub/deeper/d.mp3", "e.mp3", "sub/f.mp3", "b.mp3"}));
}

TEST_F(PlayListFileTest, ListsNamingThemselvesOrEachOtherEndWhileRepeatsPlayAgain) {
    WriteBytes(folder / "self.m3u", "a.mp3\nself.m3u\n./self.m3u\nlink.m3u\nb.mp3\n");
    std::filesystem::create_symlink("self.m3u", folder / "link.m3u");
    EXPECT_EQ(Read("self.m3u"), At({"a.mp3", "b.mp3"}));

    WriteBytes(folder / "ping.m3u", "p.mp3\npong.asx\n");
    WriteBytes(folder / "pong.asx", "<asx><entryref href=\"ping.m3u\"/>"
                                    "<entry><ref href=\"q.mp3\"/></entry></asx>");
    EXPECT_EQ(Read("ping.m3u"), At({"p.mp3", "q.mp3"}));
    EXPECT_EQ(Read("pong.asx"), At({"p.mp3", "q.mp3"}));

    // Naming a list twice is no loop: it plays twice.
    WriteBytes(folder / "once.m3u", "o.mp3\n");
    WriteBytes(folder / "twice.m3u", "once.m3u\nonce.m3u\n");
    EXPECT_EQ(Read("twice.m3u"), At({"o.mp3", "o.mp3"}));
}

TEST_F(PlayListFileTest, NestingDepthAndListsOpenedAreBounded) {
    for (int level = 0; level <= 12; ++level) {
        const std::string n = std::to_string(level);
        WriteBytes(folder / ("l" + n + ".m3u"),
                   n + ".mp3\nl" + std::to_string(level + 1) + ".m3u\n");
    }
    Names expected;
    for (int level = 0; level <= kMaxPlayListDepth; ++level) {
        expected.push_back(At(std::to_string(level) + ".mp3"));
    }
    EXPECT_EQ(Read("l0.m3u"), expected);

    // A list naming another thousands of times opens it no more often than
    // the limit allows.
    WriteBytes(folder / "e.m3u", "x.mp3\n");
    std::string many;
    for (int i = 0; i < 3 * kMaxPlayListsOpened; ++i) {
        many += "e.m3u\n";
    }
    WriteBytes(folder / "many.m3u", many);
    EXPECT_EQ(Read("many.m3u").size(), static_cast<std::size_t>(kMaxPlayListsOpened - 1));
}

TEST_F(PlayListFileTest, MissingEntriesAreKeptAndListsThatCannotBeReadAreLeftOut) {
    std::filesystem::create_directory(folder / "folder.m3u");
    WriteBytes(folder / "broken.asx", "not xml at all");
    WriteBytes(folder / "here.mp3", "");
    WriteBytes(folder / "top.m3u", "missing.mp3\n"
                                   "gone.m3u\n"
                                   "broken.asx\n"
                                   "folder.m3u\n"
                                   "http://example.com/list.m3u\n"
                                   "here.mp3\n");
    EXPECT_EQ(Read("top.m3u"), At({"missing.mp3", "here.mp3"}));
    WriteBytes(folder / "empty.m3u", "#EXTM3U\r\n");
    EXPECT_EQ(Read("empty.m3u"), Names{});
}

TEST_F(PlayListFileTest, NamesAreBytesWhateverTheirEncoding) {
    const std::string sub = "caf\xE9 & co";
    std::filesystem::create_directory(folder / sub);
    WriteBytes(folder / sub / "\xFF list.M3U", "\xFE & x.mp3\n  Rocks & Stones.jpg  \n");
    EXPECT_EQ(Read(sub + "/\xFF list.M3U"),
              At({sub + "/\xFE & x.mp3", sub + "/Rocks & Stones.jpg"}));
}

TEST_F(PlayListFileTest, ARelativePathGivesAbsoluteEntries) {
    WriteBytes(folder / "rel.m3u", "a.mp3\n/abs/b.mp3\n");
    const std::filesystem::path previous = std::filesystem::current_path();
    std::filesystem::current_path(folder.path());
    const Names entries = ReadPlayListFile("rel.m3u");
    std::filesystem::current_path(previous);
    EXPECT_EQ(entries, (Names{At("a.mp3"), "/abs/b.mp3"}));
}

TEST_F(PlayListFileTest, HugeListsAreReadQuicklyAndCutAtTheEntryLimit) {
    std::string lines = "#EXTM3U\n";
    for (int i = 0; i < 150'000; ++i) {
        lines +=
            "#EXTINF:1,Track " + std::to_string(i) + "\nmusic/track" + std::to_string(i) + ".mp3\n";
    }
    WriteBytes(folder / "huge.m3u", lines);
    const auto start = std::chrono::steady_clock::now();
    const Names entries = Read("huge.m3u");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    ASSERT_EQ(entries.size(), kMaxPlayListEntries);
    EXPECT_EQ(entries.front(), At("music/track0.mp3"));
    EXPECT_EQ(entries.back(), At("music/track99999.mp3"));

    // The limit counts the entries of nested lists together.
    WriteBytes(folder / "two.m3u", "huge.m3u\nhuge.m3u\n");
    EXPECT_EQ(Read("two.m3u").size(), kMaxPlayListEntries);
}

TEST_F(PlayListFileTest, TextReadIsBoundedForTheListAndItsNestedListsTogether) {
    const std::string padding((kMaxPlayListBytes / 2) + 1, '#');
    WriteBytes(folder / "n1.m3u", padding + "\none.mp3\n");
    WriteBytes(folder / "n2.m3u", padding + "\ntwo.mp3\n");
    WriteBytes(folder / "top.m3u", "n1.m3u\nn2.m3u\nthree.mp3\n");
    EXPECT_EQ(Read("top.m3u"), At({"one.mp3", "three.mp3"}));

    WriteBytes(folder / "big.m3u", std::string(kMaxPlayListBytes, '\n') + "a.mp3\n");
    EXPECT_EQ(Failure("big.m3u"), std::make_pair(ErrorNumber::PathFileAccessError,
                                                 "Play list over 16 MB: " + At("big.m3u")));
    WriteBytes(folder / "limit.m3u", std::string(kMaxPlayListBytes - 6, '\n') + "a.mp3\n");
    EXPECT_EQ(Read("limit.m3u"), At({"a.mp3"}));
}

int ReadUnreadable(void* path) {
    try {
        ReadPlayListFile(*static_cast<std::string*>(path));
    } catch (const Error& error) {
        return error.number();
    }
    return 0;
}

TEST_F(PlayListFileTest, ListsThatCannotBeReadAreErrors) {
    EXPECT_EQ(Failure("missing.m3u"),
              std::make_pair(ErrorNumber::FileNotFound, "File not found: " + At("missing.m3u")));
    EXPECT_EQ(Failure("no-folder/missing.asx").first, ErrorNumber::FileNotFound);
    std::filesystem::create_directory(folder / "folder.asx");
    EXPECT_EQ(Failure("folder.asx").first, ErrorNumber::PathFileAccessError);

    // A pipe is refused at once, not waited on.
    ASSERT_EQ(::mkfifo(At("pipe.m3u").c_str(), 0600), 0);
    EXPECT_EQ(Failure("pipe.m3u").first, ErrorNumber::PathFileAccessError);

    VIMBREL_SKIP_WITHOUT_PERMISSION_CHECKS();
    WriteBytes(folder / "secret.m3u", "a.mp3\n");
    ::chmod(At("secret.m3u").c_str(), 0);
    std::string path = At("secret.m3u");
    EXPECT_EQ(test::RunWithoutPermissionOverride(ReadUnreadable, &path),
              ErrorNumber::PermissionDenied);
}

} // namespace
} // namespace vimbrel
