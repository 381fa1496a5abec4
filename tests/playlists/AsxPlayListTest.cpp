// ASX play lists: the lenient XML that writers of these lists produce, and
// documents that are not lists or are built to hurt a reader.

#include "playlists/AsxPlayList.h"

#include "TempDirectory.h"
#include "runtime/Error.h"

#include <chrono>
#include <gtest/gtest.h>

namespace vimbrel {
namespace {

using test::TempDirectory;
using test::WriteBytes;
using Names = std::vector<std::string>;

// The description of the error parsing raises, or "" when it raises none.
std::string ParseError(std::string_view text) {
    try {
        ParseAsx(text, "/f");
    } catch (const Error& error) {
        EXPECT_EQ(error.number(), ErrorNumber::PathFileAccessError);
        return error.description();
    }
    return "";
}

TEST(AsxPlayList, EntriesInDocumentOrderWithNamesInAnyCaseAndAnyQuoting) {
    const std::string list =
        "\xEF\xBB\xBF<?xml version=\"1.0\"?>\r\n"
        "<!-- written by hand -->\r\n"
        "<ASX Version=\"3.0\">\r\n"
        "  <Title>Evening</Title>\r\n"
        "  <Entry><Title>One</Title><Ref HREF=\"one.mp3\" /></Entry>\r\n"
        "  <entry><ref href='two &amp; three.mp3'/></entry>\r\n"
        "  <ENTRY>\r\n"
        "    <REF\r\n      hReF = \"  /abs/four.wma  \"\r\n    ></REF>\r\n"
        "  </ENTRY>\r\n"
        "  <EntryRef href=\"more.asx\"/>\r\n"
        "  <entry><ref href=five.mp3/></entry>\r\n"
        "  <Repeat count=\"3\"><entry><ref href=\"six.mp3\"/></entry></Repeat>\r\n"
        "  <entry><param name=\"x\" value=\"y\"/></entry>\r\n"
        "  <entry/>\r\n"
        "  <ref href=\"outside-any-entry.mp3\"/>\r\n"
        "</asx>\r\n"
        "<entry><ref href=\"after-the-end.mp3\"/></entry>\r\n";
    EXPECT_EQ(ParseAsx(list, "/f"), (Names{"/f/one.mp3", "/f/two & three.mp3", "/abs/four.wma",
                                           "/f/more.asx", "/f/five.mp3", "/f/six.mp3"}));
}

TEST(AsxPlayList, EachEntryPlaysItsFirstLocalAlternativePreferringOneThatExists) {
    TempDirectory folder;
    WriteBytes(folder / "there.mp3", "");
    WriteBytes(folder / "also.mp3", "");
    const std::string base = folder.path().string() + "/";
    const std::string list =
        "<asx>"
        "<entry><ref href=\"http://a/x.mp3\"/><ref href=\"there.mp3\"/></entry>"
        "<entry><ref href=\"gone.mp3\"/><ref href=\"mms://b/y\"/>"
        "<ref href=\"also.mp3\"/><ref href=\"there.mp3\"/></entry>"
        "<entry><ref href=\"there.mp3\"/><ref href=\"also.mp3\"/></entry>"
        "<entry><ref href=\"lost1.mp3\"/><ref href=\"lost2.mp3\"/></entry>"
        "<entry><ref href=\"rtsp://only/network\"/></entry>"
        "<entry><ref/><ref href=\"\"/><ref href=\"also.mp3\"/></entry>"
        "</asx>";
    EXPECT_EQ(ParseAsx(list, folder.path()),
              (Names{base + "there.mp3", base + "also.mp3", base + "there.mp3", base + "lost1.mp3",
                     base + "also.mp3"}));
}

TEST(AsxPlayList, ReferencesAreDecodedAndNothingElseIs) {
    const std::pair<const char*, const char*> cases[] = {
        {"a&amp;b&lt;c&gt;d&quot;e&apos;f.mp3", "a&b<c>d\"e'f.mp3"},
        {"&#38;&#x26;&#X41;&#233;&#x1F3B5;.mp3", "&&A\xC3\xA9\xF0\x9F\x8E\xB5.mp3"},
        {"a.mp3?x=1&y=2", "a.mp3?x=1&y=2"},
        {"&custom;&AMP;&#;&#x;&#xZZ;&#0;&#x110000;&#xD800;&#99999999999;",
         "&custom;&AMP;&#;&#x;&#xZZ;&#0;&#x110000;&#xD800;&#99999999999;"},
        {"Rocks &amp;amp; Stones.jpg", "Rocks &amp; Stones.jpg"},
        {"caf\xE9 \xFF.mp3", "caf\xE9 \xFF.mp3"},
    };
    for (const auto& [href, name] : cases) {
        const std::string list =
            std::string("<asx><entry><ref href=\"") + href + "\"/></entry></asx>";
        EXPECT_EQ(ParseAsx(list, "/f"), Names{std::string("/f/") + name}) << href;
    }
}

TEST(AsxPlayList, CommentsCdataAndDeclarationsAreSkippedUnread) {
    const std::string list =
        "<!DOCTYPE asx [ <!ENTITY e \"<entry><ref href='entity.mp3'/></entry>\"> "
        "<!-- ] > --> <!ATTLIST ref href CDATA 'default.mp3'> ]>"
        "<asx><!-- <entry><ref href=\"commented.mp3\"/></entry> -->"
        "<![CDATA[<entry><ref href=\"cdata.mp3\"/></entry>]]>"
        "<?pi <entry><ref href=\"pi.mp3\"/></entry> ?>&e;"
        "<entry><ref href=\"real.mp3\"/></entry>"
        "a < b and c<3 <entry><ref href=\"after-stray-text.mp3\"/></entry></asx>";
    EXPECT_EQ(ParseAsx(list, "/f"), (Names{"/f/real.mp3", "/f/after-stray-text.mp3"}));
}

TEST(AsxPlayList, TextThatIsNotAnAsxListIsAnError) {
    const std::string notLists[] = {
        "",
        "   \r\n",
        "just some words",
        "#EXTM3U\r\n#EXTINF:1,a\r\na.mp3\r\n",
        "<html><body><a href=\"a.mp3\">a</a></body></html>",
        "<?xml version=\"1.0\"?><!-- no element -->",
        "words before <asx><entry><ref href=\"a.mp3\"/></entry></asx>",
        "<asx",
        "<asx href=\"unterminated",
        "<!-- <asx> never closed",
        std::string("\x00\x01\x02\xFF\xFE\x80", 6),
    };
    for (const std::string& text : notLists) {
        EXPECT_EQ(ParseError(text), "Not an ASX play list") << text;
    }
    EXPECT_EQ(ParseAsx("<asx/>", "/f"), Names{});
    EXPECT_EQ(ParseAsx("  <asx version='3.0'></asx>", "/f"), Names{});
}

TEST(AsxPlayList, AListCutShortKeepsTheEntriesWhoseMarkupIsComplete) {
    const std::string whole = "<asx><entry><ref href=\"a.mp3\"/></entry>"
                              "<entry><ref href=\"b.mp3\"/></entry>"
                              "<entry><ref href=\"c.mp3\"/><ref href=\"d.mp3\"/></entry></asx>";
    EXPECT_EQ(ParseAsx(whole, "/f"), (Names{"/f/a.mp3", "/f/b.mp3", "/f/c.mp3"}));
    const std::pair<std::size_t, Names> cuts[] = {
        {whole.find("b.mp3") + 2, {"/f/a.mp3"}},
        {whole.find("b.mp3") + 8, {"/f/a.mp3", "/f/b.mp3"}},
        {whole.find("c.mp3"), {"/f/a.mp3", "/f/b.mp3"}},
        {whole.find("d.mp3") + 1, {"/f/a.mp3", "/f/b.mp3", "/f/c.mp3"}},
        {whole.size() - 3, {"/f/a.mp3", "/f/b.mp3", "/f/c.mp3"}},
    };
    for (const auto& [length, expected] : cuts) {
        EXPECT_EQ(ParseAsx(std::string_view(whole).substr(0, length), "/f"), expected) << length;
    }
    // Every cut at all reads without a fault.
    for (std::size_t length = 0; length <= whole.size(); ++length) {
        try {
            ParseAsx(std::string_view(whole).substr(0, length), "/f");
        } catch (const Error&) {
        }
    }
}

TEST(AsxPlayList, EntityBombCostsNothing) {
    std::string doctype = "<?xml version=\"1.0\"?>\n<!DOCTYPE lolz [\n"
                          " <!ENTITY lol \"lol\">\n <!ELEMENT lolz (#PCDATA)>\n";
    for (int level = 1; level <= 9; ++level) {
        doctype += " <!ENTITY lol" + std::to_string(level) + " \"";
        const std::string previous =
            level == 1 ? "&lol;" : "&lol" + std::to_string(level - 1) + ";";
        for (int i = 0; i < 10; ++i) {
            doctype += previous;
        }
        doctype += "\">\n";
    }
    doctype += "]>\n";
    const auto start = std::chrono::steady_clock::now();
    // The classic document is no play list at all.
    EXPECT_EQ(ParseError(doctype + "<lolz>&lol9;</lolz>\n"), "Not an ASX play list");
    // As a list, the reference stays as it is written.
    EXPECT_EQ(ParseAsx(doctype + "<asx><entry><ref href=\"&lol9;\"/></entry>&lol9;</asx>", "/f"),
              Names{"/f/&lol9;"});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
}

// Little-endian UTF-16, with or without the byte-order mark.
std::string Utf16Le(std::u16string_view text, bool mark) {
    std::string bytes = mark ? "\xFF\xFE" : "";
    for (const char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

TEST(AsxPlayList, Utf16ListsAreReadAsUtf8) {
    const std::u16string text =
        u"<asx><entry><ref href=\"caf\u00e9 \U0001F3B5.mp3\"/></entry></asx>";
    std::string big = "\xFE\xFF";
    for (const char16_t unit : text) {
        big += static_cast<char>(unit >> 8);
        big += static_cast<char>(unit & 0xFF);
    }
    const Names expected = {"/f/caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3"};
    EXPECT_EQ(ParseAsx(Utf16Le(text, true), "/f"), expected);
    EXPECT_EQ(ParseAsx(Utf16Le(text, false), "/f"), expected);
    EXPECT_EQ(ParseAsx(big, "/f"), expected);
    // A lone surrogate becomes the replacement character; an odd last byte
    // is dropped.
    const std::u16string lone =
        std::u16string(u"<asx><entry><ref href=x") + char16_t(0xD800) + u".>";
    EXPECT_EQ(ParseAsx(Utf16Le(lone, true) + "!", "/f"), Names{"/f/x\xEF\xBF\xBD."});
}

} // namespace
} // namespace vimbrel
