#pragma once

#include <QCollator>
#include <QLocale>
#include <compare>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vimbrel::platform {

class NameCollation;

// The order of a list of names, worked out once per name so that a sort
// does not run every name through the locale's rules at each comparison.
// It refers to the names it was made from, which must outlive it.
class NameSortKeys {
public:
    // True when the a-th name comes before the b-th.
    bool Less(std::size_t a, std::size_t b) const {
        const int order = m_ascii ? AsciiKey(a).compare(AsciiKey(b)) : CollatedOrder(a, b);
        return order != 0 ? order < 0 : m_names[a] < m_names[b];
    }

    // Sixteen bytes of a key, as two numbers.
    struct Head {
        uint64_t high = 0;
        uint64_t low = 0;
        auto operator<=>(const Head&) const = default;
    };

    // A coarse order for a sort to keep beside its entries: where the heads
    // of two names differ, the smaller head belongs to the name that comes
    // first; where they are equal, Less decides. A sort that compares heads
    // first settles most comparisons without reaching the keys.
    Head HeadOf(std::size_t i) const;

    std::size_t size() const { return m_names.size(); }

private:
    friend class NameCollation;

    int CollatedOrder(std::size_t a, std::size_t b) const;
    std::string_view AsciiKey(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : m_asciiEnds[i - 1];
        return std::string_view(m_asciiKeys).substr(begin, m_asciiEnds[i] - begin);
    }

    std::span<const std::string> m_names; // also settle the ties
    // Names of plain ASCII: one byte per character, its place in the
    // locale's order; compared as bytes.
    bool m_ascii = false;
    std::string m_asciiKeys;
    std::vector<std::size_t> m_asciiEnds;
    // Any other names: the locale's own sort keys.
    std::vector<QCollatorSortKey> m_collated;
};

// File names in the order of the user's locale, without regard to letter
// case (nor, where the locale's rules have them, to character width and
// kana type). Names are bytes and read as UTF-8. Names that the locale
// counts as equal (differing in case only, or in bytes that are no UTF-8)
// are ordered by their bytes, so that two different names never tie and the
// order of a list does not depend on the order it came in.
class NameCollation {
public:
    // The user's locale. The C locale, which has no order of letters of its
    // own, orders like English.
    NameCollation();
    explicit NameCollation(const QLocale& locale);

    // Negative, 0 or positive as a comes before, equals or follows b.
    int Compare(std::string_view a, std::string_view b) const;

    // The keys refer to the names, which must outlive them.
    NameSortKeys KeysOf(std::span<const std::string> names) const;

    QLocale locale() const { return m_collator.locale(); }

private:
    QCollator m_collator;
};

} // namespace vimbrel::platform
