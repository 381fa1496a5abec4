// The order of names: case ignored in the user's locale, ties settled by the
// bytes, and the sort keys agreeing with the comparison in every locale.

#include "platform/Collation.h"

#include <gtest/gtest.h>
#include <random>

namespace vimbrel::platform {
namespace {

TEST(NameCollation, IgnoresCaseAndWidthAndSettlesTiesByBytes) {
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        const NameCollation collation(locale);
        const std::string name = locale.name().toStdString();
        EXPECT_LT(collation.Compare("apple.jpg", "Banana.jpg"), 0) << name;
        EXPECT_LT(collation.Compare("Banana.jpg", "cherry.jpg"), 0) << name;
        EXPECT_LT(collation.Compare("APPLE.jpg", "banana.jpg"), 0) << name;
        // Equal but for case: the bytes decide, "A" (0x41) before "a".
        EXPECT_LT(collation.Compare("A.jpg", "a.jpg"), 0) << name;
        EXPECT_GT(collation.Compare("a.jpg", "A.jpg"), 0) << name;
        EXPECT_EQ(collation.Compare("a.jpg", "a.jpg"), 0) << name;
        // A full-width letter sorts with its ordinary form.
        EXPECT_LT(collation.Compare("a.jpg", "\xef\xbd\x82.jpg"), 0) << name;
        EXPECT_LT(collation.Compare("\xef\xbd\x82.jpg", "c.jpg"), 0) << name;
        EXPECT_NE(collation.Compare("b.jpg", "\xef\xbd\x82.jpg"), 0) << name;
    }
}

TEST(NameCollation, BytesThatAreNoUtf8StillGiveOneOrder) {
    const NameCollation collation(QLocale(QLocale::English, QLocale::UnitedStates));
    const std::vector<std::string> names = {"\xff.jpg",    "\xfe.jpg",        "\xc3.jpg",
                                            "Caf\xe9.jpg", "Caf\xc3\xa9.jpg", "cafe.jpg"};
    for (const std::string& a : names) {
        for (const std::string& b : names) {
            const int ab = collation.Compare(a, b);
            EXPECT_EQ(ab == 0, a == b);
            EXPECT_EQ(ab, -collation.Compare(b, a));
        }
    }
}

// Random names from pieces that the locales of the table treat specially
// (letters that join, "i" and "I" in Turkish, control characters that are
// passed over), to hold the sort keys against the comparison.
std::vector<std::string> RandomNames(std::mt19937& engine, bool asciiOnly) {
    std::vector<std::string> pieces = {"a",  "b",  "c",  "h",  "s",    "z", "l",  "y",  "i",
                                       "I",  "d",  "A",  "C",  "H",    "Z", "aa", "ch", "cs",
                                       "sz", "ll", "dz", "ij", "1",    "2", "10", " ",  "-",
                                       "_",  ".",  "\n", "\t", "\x01", "~", "&",  "'"};
    if (!asciiOnly) {
        pieces.insert(pieces.end(), {"\xc3\xa9", "\xc3\xa5", "\xc4\xb1", "\xff", "\xef\xbd\x82"});
    }
    std::vector<std::string> names;
    for (int n = 0; n < 120; ++n) {
        std::string name;
        const auto length = 1 + engine() % 6;
        for (unsigned k = 0; k < length; ++k) {
            name += pieces[engine() % pieces.size()];
        }
        names.push_back(name);
    }
    return names;
}

TEST(NameCollation, SortKeysAgreeWithTheComparisonInEveryLocale) {
    std::mt19937 engine(2024);
    for (const char* locale : {"C", "en_US", "de_DE", "sv_SE", "da_DK", "cs_CZ", "hu_HU", "cy_GB",
                               "tr_TR", "lt_LT", "es_ES", "el_GR", "ja_JP"}) {
        const NameCollation collation{QLocale(QString::fromLatin1(locale))};
        for (const bool asciiOnly : {true, false}) {
            const std::vector<std::string> names = RandomNames(engine, asciiOnly);
            const NameSortKeys keys = collation.KeysOf(names);
            ASSERT_EQ(keys.size(), names.size());
            for (std::size_t a = 0; a < names.size(); ++a) {
                for (std::size_t b = 0; b < names.size(); ++b) {
                    ASSERT_EQ(keys.Less(a, b), collation.Compare(names[a], names[b]) < 0)
                        << locale << ": \"" << names[a] << "\" / \"" << names[b] << "\"";
                }
            }
        }
    }
}

} // namespace
} // namespace vimbrel::platform
