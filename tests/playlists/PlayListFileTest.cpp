// Play list files as the show reads them: M3U and ASX text into the files
// they name, lists nested in lists, and the limits that keep hostile or
// broken lists from looping, hanging or filling memory. All lists are real
// files.

#include "playlists/PlayListFile.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <optional>
#include <sys/stat.h>

namespace vimbrel {
namespace {

using namespace std::string_literals;
using test::WriteBytes;

class PlayListFileTest : public ::testing::Test {
protected:
    std::string At(std::string_view name) const { return (folder / name).string(); }
    // Writes the list unless no text is given and reads it: its entries,
    // each ending in "|", the test's folder left out, or the error it raises.
    std::string Read(std::string_view name, const std::optional<std::string>& text = {}) const {
        std::string out;
        try {
            text ? WriteBytes(folder / name, *text) : void();
            for (const std::string& entry : ReadPlayListFile(At(name))) {
                out += entry.substr(entry.starts_with(At("")) ? At("").size() : 0) + "|";
            }
        } catch (const Error& error) {
            out =
                std::to_string(error.number()) + " " + error.source() + ": " + error.description();
        }
        return out;
    }

    test::TempDirectory folder;
};

TEST_F(PlayListFileTest, M3uEntriesAreBytesTakenInTheListsFolderSaveNetworkAddresses) {
    const std::string text =
        "\xEF\xBB\xBF#EXTM3U\r\n#EXTINF:123,Artist - Title\r\na.mp3\r\n\n  \t\n  # comment\r"
        "b c.mp3\r   sub/d.wma\t \n../up.mp3\n/abs/a.mp3\ntrack:1.mp3\nhttp:/one-slash.mp3\n"
        "100%25.mp3\nfile:///music/a%20b.mp3\nFILE://LocalHost/music/x.mp3\nfile:/m/one.mp3\n"
        "file:///m/%e9t%C3%A9%zz%4.mp3\nfile:///m/a?b#c.mp3\nRocks & Stones.jpg\n"
        "  two  inner  blanks .mp3  \n\xFF\xFE latin-1 caf\xE9.mp3\n\xE2\x99\xAB.mp3\n&amp;.mp3\n"
        "sub\\deeper\\a.mp3\nodd\\name.mp3\ngone\\b.mp3\n\\music\\c.mp3\nfile:///m\\d.mp3\n"
        // Addresses on the network or on Windows drives, and no names.
        "http://h/a\nHTTPS://h/a\nrtsp://h/s\nx-y+v1.2://a\nfile://h/a\nfile://\nC:\\a\nd:/a\n"
        "file:///C:/a\n\\\\h\\a\nfile:///a%00b\na\0b\nlast.mp3"s;
    // Backslashes separate folders, unless the name exists as it is written.
    std::filesystem::create_directories(folder / "sub" / "deeper");
    WriteBytes(folder / "odd\\name.mp3", "");
    EXPECT_EQ(Read("LIST.M3U8", text),
              "a.mp3|b c.mp3|sub/d.wma|../up.mp3|/abs/a.mp3|track:1.mp3|http:/one-slash.mp3|"
              "100%25.mp3|/music/a b.mp3|/music/x.mp3|/m/one.mp3|/m/\xE9t\xC3\xA9%zz%4.mp3|"
              "/m/a?b#c.mp3|Rocks & Stones.jpg|two  inner  blanks .mp3|"
              "\xFF\xFE latin-1 caf\xE9.mp3|\xE2\x99\xAB.mp3|&amp;.mp3|sub/deeper/a.mp3|"
              "odd\\name.mp3|gone/b.mp3|/music/c.mp3|/m/d.mp3|last.mp3|");
}

TEST_F(PlayListFileTest, AsxEntriesComeFromTheLenientXmlThatWritersProduce) {
    WriteBytes(folder / "there.mp3", "");
    WriteBytes(folder / "also.mp3", "");
    const std::string text =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n<!-- by hand -->\r\n<!DOCTYPE asx [ <!ENTITY e "
        "\"<entry><ref href='entity.mp3'/></entry>\"> <!-- ] > --> <!ATTLIST ref href CDATA "
        "'default]>.mp3'> ]>\r\n<ASX Version=\"3.0\">\r\n  <Title>Evening</Title>\r\n"
        "  <Entry><Title>One</Title><Ref HREF=\"one.mp3\" /></Entry>\r\n"
        "  <entry><ref href='two &amp; three.mp3'/></entry>\r\n"
        "  <ENTRY>\r\n    <REF\r\n      hReF = \"  /abs/four.wma  \"\r\n    ></REF>\r\n"
        "  </ENTRY><EntryRef href=\"more.mp3\"/><entry><ref href=five.mp3/></entry>\r\n"
        "  <Repeat count=\"3\"><entry><ref href=\"six.mp3\"/></entry></Repeat>\r\n"
        "  <entry><param name=\"x\" value=\"y\"/></entry><entry/><ref href=\"outside.mp3\"/>\r\n"
        "<!-- <entry><ref href=\"comment.mp3\"/></entry> --><![CDATA[it's <entry><ref "
        "href=\"cdata.mp3\"/></entry>]]><?pi <entry><ref href=\"pi.mp3\"/></entry> ?>&e;\r\n"
        "a < b and c<3 <entry><ref href=\"after-stray-text.mp3\"/></entry>\r\n"
        // Each entry plays its first local alternative, preferring one that
        // exists.
        "<entry><ref href=\"http://a/x.mp3\"/><ref href=\"there.mp3\"/></entry>"
        "<entry><ref href=\"gone.mp3\"/><ref href=\"mms://b/y\"/><ref href=\"also.mp3\"/>"
        "<ref href=\"there.mp3\"/></entry>"
        "<entry><ref href=\"there.mp3\"/><ref href=\"also.mp3\"/></entry>"
        "<entry><ref href=\"lost1.mp3\"/><ref href=\"lost2.mp3\"/></entry>"
        "<entry><ref href=\"rtsp://only/network\"/></entry>"
        "<entry><ref/><ref href=\"\"/><ref href=\"  \"/><ref href=\"also.mp3\"/></entry>\r\n"
        // References are decoded, and nothing else is.
        "<entry><ref href=\"a&amp;b&lt;c&gt;d&quot;e&apos;f.mp3\"/></entry>"
        "<entry><ref href=\"&#38;&#x26;&#X41;&#233;&#x1F3B5;.mp3\"/></entry>"
        "<entry><ref href=\"q.mp3?x=1&y=2\"/></entry><entry><ref href=\"&custom;&AMP;&#;&#x;"
        "&#xZZ;&#0;&#x110000;&#xD800;&#99999999999;\"/></entry>"
        "<entry><ref href=\"Rocks &amp;amp; Stones.jpg\"/></entry>"
        "<entry><ref href=\"caf\xE9 \xFF.mp3\"/></entry>\r\n"
        "</asx>\r\n<entry><ref href=\"after-the-end.mp3\"/></entry>\r\n";
    EXPECT_EQ(Read("list.asx", text),
              "one.mp3|two & three.mp3|/abs/four.wma|more.mp3|five.mp3|six.mp3|"
              "after-stray-text.mp3|there.mp3|also.mp3|there.mp3|lost1.mp3|also.mp3|"
              "a&b<c>d\"e'f.mp3|&&A\xC3\xA9\xF0\x9F\x8E\xB5.mp3|q.mp3?x=1&y=2|"
              "&custom;&AMP;&#;&#x;&#xZZ;&#0;&#x110000;&#xD800;&#99999999999;|"
              "Rocks &amp; Stones.jpg|caf\xE9 \xFF.mp3|");
}

TEST_F(PlayListFileTest, AsxListsInUtf16OrCutShortKeepTheirCompleteEntries) {
    // Little- or big-endian UTF-16, with the byte-order mark or without.
    const auto utf16 = [](bool big, std::string bytes) {
        for (const char16_t unit :
             u"<asx><entry><ref href=\"caf\u00e9 \U0001F3B5.mp3\"/></entry>"s) {
            bytes += {char(big ? unit >> 8 : unit), char(big ? unit : unit >> 8)};
        }
        return bytes;
    };
    const std::string whole = "<asx><entry><ref href=\"a.mp3\"/></entry>"
                              "<entry><ref href=\"b.mp3\"/></entry>"
                              "<entry><ref href=\"c.mp3\"/><ref href=\"d.mp3\"/></entry></asx>";
    const std::string name = "caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3|";
    const std::pair<std::string, std::string> cases[] = {
        {utf16(false, "\xFF\xFE"), name},
        {utf16(false, ""), name},
        {utf16(true, "\xFE\xFF"), name},
        {"<asx/>", ""},
        {"  <asx version='3.0'></asx>", ""},
        {whole, "a.mp3|b.mp3|c.mp3|"},
        {whole.substr(0, whole.find("b.mp3") + 2), "a.mp3|"},
        {whole.substr(0, whole.find("b.mp3") + 8), "a.mp3|b.mp3|"},
        {whole.substr(0, whole.find("d.mp3") + 1), "a.mp3|b.mp3|c.mp3|"},
    };
    for (const auto& [text, entries] : cases) {
        EXPECT_EQ(Read("l.asx", text), entries) << text;
    }
}

TEST_F(PlayListFileTest, ListsThatCannotBeReadOrAreNotWhatTheirNamesSayAreErrors) {
    for (const std::string text : {"", "#EXTM3U\r\n#EXTINF:1,a\r\na.mp3\r\n",
                                   "<html><body><a href=\"a.mp3\">a</a></body></html>",
                                   "words before <asx><entry><ref href=\"a.mp3\"/></entry></asx>",
                                   "<asx href=\"unterminated", "<!-- <asx> never closed"}) {
        for (const char* name : {"l.asx", "L.WAX", "l.Wvx"}) {
            EXPECT_EQ(Read(name, text), "75 PlayList: Not an ASX play list: " + At(name)) << text;
        }
    }
    EXPECT_EQ(Read("missing.m3u"), "53 PlayList: File not found: " + At("missing.m3u"));
    // A pipe is refused at once, not waited on.
    ASSERT_EQ(::mkfifo(At("pipe.m3u").c_str(), 0600), 0);
    EXPECT_EQ(Read("pipe.m3u").substr(0, 3), "75 ");
    EXPECT_TRUE(IsPlayListName("a.m3u") && IsPlayListName("a.M3u8") && IsPlayListName("/x/a.ASX") &&
                IsPlayListName("a.wax") && IsPlayListName("a.WVX"));
    EXPECT_FALSE(IsPlayListName("a.m3u.mp3") || IsPlayListName("a.m3/u") ||
                 IsPlayListName("a.asx8"));
}

TEST_F(PlayListFileTest, NestedListsAreReadInPlaceFromTheirOwnFoldersAndNeverLoop) {
    // Names are bytes, whatever their encoding.
    const std::string sub = "caf\xE9 & co";
    std::filesystem::create_directories(folder / sub / "deeper");
    std::filesystem::create_directory(folder / "folder.m3u");
    std::filesystem::create_symlink("self.m3u", folder / "link.m3u");
    WriteBytes(folder / sub / "\xFF inner.ASX", "<asx><entry><ref href=\"c.mp3\"/></entry>"
                                                "<entryref href=\"deeper/list.m3u8\"/>"
                                                "<entry><ref href=\"other.wvx\"/></entry>"
                                                "<entryref href=\"../top.m3u\"/></asx>");
    WriteBytes(folder / sub / "deeper" / "list.m3u8", "d.mp3\nfile://" + At("e.mp3") + "\n");
    WriteBytes(folder / sub / "other.wvx", "<asx><entry><ref href=\"f.mp3\"/></entry></asx>");
    WriteBytes(folder / "self.m3u", "s.mp3\nself.m3u\n./self.m3u\nlink.m3u\n");
    WriteBytes(folder / "once.m3u", "o.mp3\n");
    WriteBytes(folder / "broken.asx", "not xml at all");
    // Lists that cannot be read are left out, and empty ones add nothing;
    // missing files are kept, and a list named twice plays twice.
    EXPECT_EQ(Read("empty.m3u", "#EXTM3U\r\n"), "");
    EXPECT_EQ(Read("top.m3u", "a.mp3\n" + sub +
                                  "/\xFF inner.ASX\nmissing.mp3\ngone.m3u\n"
                                  "broken.asx\nfolder.m3u\nhttp://example.com/list.m3u\nself.m3u\n"
                                  "once.m3u\nempty.m3u\nonce.m3u\nb.mp3\n"),
              "a.mp3|" + sub + "/c.mp3|" + sub + "/deeper/d.mp3|e.mp3|" + sub +
                  "/f.mp3|missing.mp3|s.mp3|o.mp3|o.mp3|b.mp3|");
}

TEST_F(PlayListFileTest, NestingListsOpenedEntriesAndTextReadAreBounded) {
    std::string expected;
    for (int level = 0; level <= 12; ++level) {
        const std::string n = std::to_string(level);
        WriteBytes(folder / (n + ".m3u"), n + ".mp3\n" + std::to_string(level + 1) + ".m3u\n");
        expected += level <= kMaxPlayListDepth ? n + ".mp3|" : "";
    }
    EXPECT_EQ(Read("0.m3u"), expected);

    // The lists opened, and the entries of nested lists, count together.
    WriteBytes(folder / "e.m3u", "x.mp3\n");
    std::string many, lines;
    for (std::size_t i = 0; i < kMaxPlayListEntries * 3 / 4; ++i) {
        lines += "track" + std::to_string(i) + ".mp3\n";
        many += i < 3 * kMaxPlayListsOpened ? "e.m3u\n" : "";
    }
    // Any name but an ASX one is an M3U list.
    EXPECT_EQ(std::ranges::count(Read("many.txt", many), '|'), kMaxPlayListsOpened - 1);
    WriteBytes(folder / "huge.m3u", lines);
    const std::string entries = Read("no-extension", "huge.m3u\nhuge.m3u\n");
    EXPECT_EQ(std::ranges::count(entries, '|'), kMaxPlayListEntries);
    EXPECT_TRUE(
        entries.ends_with("|track" + std::to_string(kMaxPlayListEntries / 4 - 1) + ".mp3|"));

    // So does the text read.
    const std::string padding((kMaxPlayListBytes / 2) + 1, '#');
    WriteBytes(folder / "n1.m3u", padding + "\none.mp3\n");
    WriteBytes(folder / "n2.m3u", padding + "\ntwo.mp3\n");
    EXPECT_EQ(Read("top.m3u", "n1.m3u\nn2.m3u\nthree.mp3\n"), "one.mp3|three.mp3|");
    EXPECT_EQ(Read("big.m3u", std::string(kMaxPlayListBytes, '\n') + "a.mp3\n"),
              "75 PlayList: Play list over 16 MB: " + At("big.m3u"));
    EXPECT_EQ(Read("limit.m3u", std::string(kMaxPlayListBytes - 6, '\n') + "a.mp3\n"), "a.mp3|");
}

} // namespace
} // namespace vimbrel
