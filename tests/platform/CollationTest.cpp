// The order of names: case ignored in the user's locale, ties settled by the
// bytes, and the sort by keys agreeing with the comparison in every locale.

#include "platform/Collation.h"

#include "catalogue/QuickSort.h"

#include <gtest/gtest.h>
#include <random>

namespace vimbrel::platform {
namespace {

using Names = std::vector<std::string>;

TEST(NameCollation, IgnoresCaseAndWidthAndSettlesTiesByBytes) {
    // Equal but for case or width: the bytes decide. Bytes that are no UTF-8
    // still give one order.
    const Names ordered = {"A.jpg",       "a.jpg",      "APPLE.jpg", "apple.jpg",
                           "B.GIF",       "b.gif",      "b.jpg",     "\xef\xbd\x82.jpg",
                           "Banana.jpg",  "c.jpg",      "cafe.jpg",  "Caf\xc3\xa9.jpg",
                           "Caf\xe9.jpg", "cherry.jpg", "\xfe.jpg",  "\xff.jpg"};
    for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates),
                                  QLocale(QLocale::German, QLocale::Germany)}) {
        const NameCollation collation(locale);
        for (std::size_t a = 0; a < ordered.size(); ++a) {
            for (std::size_t b = 0; b < ordered.size(); ++b) {
                EXPECT_EQ(collation.Compare(ordered[a], ordered[b]), (a > b) - (a < b))
                    << locale.name().toStdString() << ": " << ordered[a] << " / " << ordered[b];
            }
        }
        // Sorted by keys, between two entries that stay where they are.
        Names list = {"~"};
        list.insert(list.end(), ordered.rbegin(), ordered.rend());
        list.push_back("0");
        QuickSort(list, 1, static_cast<int32_t>(ordered.size()), collation);
        EXPECT_EQ(Names(list.begin() + 1, list.end() - 1), ordered);
        EXPECT_EQ(list.front() + list.back(), "~0");
    }
}

// Random names from pieces that the locales treat specially (letters that
// join, "i" and "I" in Turkish, control characters that are passed over).
TEST(NameCollation, SortKeysAgreeWithTheComparisonInEveryLocale) {
    std::mt19937 engine(2024);
    const Names ascii = {"a",  "b", "c", "h",  "s",  "z",  "l",  "y",    "i",  "I",  "d", "A",
                         "C",  "H", "Z", "aa", "ch", "cs", "sz", "ll",   "dz", "ij", "1", "2",
                         "10", " ", "-", "_",  ".",  "\n", "\t", "\x01", "~",  "&",  "'"};
    Names any = ascii;
    any.insert(any.end(), {"\xc3\xa9", "\xc3\xa5", "\xc4\xb1", "\xff", "\xef\xbd\x82"});
    for (const char* locale : {"C", "en_US", "de_DE", "sv_SE", "da_DK", "cs_CZ", "hu_HU", "cy_GB",
                               "tr_TR", "lt_LT", "es_ES", "el_GR", "ja_JP"}) {
        const NameCollation collation{QLocale(QString::fromLatin1(locale))};
        for (const Names& pieces : {ascii, any}) {
            Names names(120);
            for (std::string& name : names) {
                for (auto length = 1 + engine() % 6; length > 0; --length) {
                    name += pieces[engine() % pieces.size()];
                }
            }
            const NameSortKeys keys = collation.KeysOf(names);
            for (std::size_t a = 0; a < names.size(); ++a) {
                for (std::size_t b = 0; b < names.size(); ++b) {
                    ASSERT_EQ(keys.Less(a, b), collation.Compare(names[a], names[b]) < 0)
                        << locale << ": \"" << names[a] << "\" / \"" << names[b] << "\"";
                }
            }
            Names sorted = names;
            QuickSort(sorted, 0, static_cast<int32_t>(sorted.size()) - 1, collation);
            for (std::size_t k = 1; k < sorted.size(); ++k) {
                ASSERT_LE(collation.Compare(sorted[k - 1], sorted[k]), 0) << locale;
            }
            ASSERT_TRUE(std::is_permutation(sorted.begin(), sorted.end(), names.begin()));
        }
    }
}

} // namespace
} // namespace vimbrel::platform
