#include "platform/Collation.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace vimbrel::platform {

namespace {

QLocale CollatingLocale(const QLocale& locale) {
    // Qt's collator compares the C locale's text by code points, and its
    // sort keys there even keep letter case; names must ignore case.
    if (locale.language() == QLocale::C) {
        return QLocale(QLocale::English, QLocale::UnitedStates);
    }
    return locale;
}

QString Decoded(std::string_view name) {
    // Bytes that are no UTF-8 become U+FFFD; the byte order settles the ties
    // this makes.
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

int Sign(int value) {
    return (value > 0) - (value < 0);
}

int ByteOrder(std::string_view a, std::string_view b) {
    return Sign(a.compare(b));
}

bool IsAscii(std::string_view name) {
    return std::all_of(name.begin(), name.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The place of each ASCII character in the locale's order: equal places for
// characters the locale counts as equal ('a' and 'A'), 0 for characters it
// passes over (most control characters).
using AsciiPlaces = std::array<uint8_t, 128>;

// Measured from the collator itself, and given only where comparing two
// ASCII names place by place is exactly what the collator does: where no
// two letters or digits join into one letter (as "ch" does in Czech, or
// "aa" in Danish) and where characters of different places differ in their
// first-level weight, so that the first differing place decides.
std::optional<AsciiPlaces> MeasureAsciiPlaces(const QCollator& collator) {
    // Texts of one or two characters, kept off the heap: the measuring
    // compares some four thousand of them.
    struct Text {
        char16_t chars[2] = {};
        qsizetype size = 0;
    };
    const auto text = [](std::initializer_list<char16_t> chars) {
        Text t;
        for (char16_t c : chars) {
            t.chars[t.size++] = c;
        }
        return t;
    };
    const auto compare = [&](const Text& a, const Text& b) {
        return collator.compare(QStringView(a.chars, a.size), QStringView(b.chars, b.size));
    };

    std::vector<char16_t> weighted;
    for (char16_t c = 1; c < 128; ++c) {
        // Compared inside a longer text: the collator treats an empty text
        // as less than any other, even one of characters it passes over.
        const bool passedOver = compare(text({u'a', c}), text({u'a'})) == 0 &&
                                compare(text({c, u'a'}), text({u'a'})) == 0;
        if (!passedOver) {
            weighted.push_back(c);
        }
    }
    std::stable_sort(weighted.begin(), weighted.end(),
                     [&](char16_t a, char16_t b) { return compare(text({a}), text({b})) < 0; });

    AsciiPlaces places{};
    std::vector<char16_t> byPlace; // one character of each place, in order
    for (std::size_t i = 0; i < weighted.size(); ++i) {
        if (i == 0 || compare(text({weighted[i - 1]}), text({weighted[i]})) != 0) {
            byPlace.push_back(weighted[i]);
        }
        places[weighted[i]] = static_cast<uint8_t>(byPlace.size());
    }
    if (byPlace.size() < 2) {
        return std::nullopt;
    }

    // Neighbouring places must differ at the first level: "<lower>z" must
    // come before "<higher>a" (which a difference of accent alone would
    // reverse, the first level being compared over the whole text first).
    for (std::size_t p = 0; p + 1 < byPlace.size(); ++p) {
        if (compare(text({byPlace[p], u'z'}), text({byPlace[p + 1], u'a'})) >= 0) {
            return std::nullopt;
        }
    }

    // Something above every ASCII character, for the test of the last place.
    std::optional<char16_t> above;
    for (char16_t candidate : {u'\u00FE', u'\u03B1', u'\u0430', u'\u05D0', u'\u4E00'}) {
        if (compare(text({byPlace.back()}), text({candidate})) < 0) {
            above = candidate;
            break;
        }
    }
    if (!above) {
        return std::nullopt;
    }

    // Two characters that joined into one letter would sort outside the
    // range that their places give them: "xy" must lie between x followed
    // by the place below y and x followed by the place above it.
    const std::u16string alphanumerics = u"0123456789abcdefghijklmnopqrstuvwxyz";
    for (char16_t x : alphanumerics) {
        for (char16_t y : alphanumerics) {
            const uint8_t place = places[y];
            if (place == 0) {
                continue;
            }
            const Text pair = text({x, y});
            if (place > 1 && compare(text({x, byPlace[place - 2]}), pair) >= 0) {
                return std::nullopt;
            }
            const char16_t next = place < byPlace.size() ? byPlace[place] : *above;
            if (compare(pair, text({x, next})) >= 0) {
                return std::nullopt;
            }
        }
    }
    return places;
}

} // namespace

int NameSortKeys::CollatedOrder(std::size_t a, std::size_t b) const {
    return m_collated[a].compare(m_collated[b]);
}

NameSortKeys::Head NameSortKeys::HeadOf(std::size_t i) const {
    if (!m_ascii) {
        return {};
    }
    // A head that differs decides as the whole key would: the padding zeros
    // only ever stand where the shorter key has ended, and a key that ends
    // first comes first.
    const std::string_view key = AsciiKey(i);
    const auto bytesAt = [&](std::size_t from) {
        uint64_t bytes = 0;
        for (std::size_t k = from; k < from + 8; ++k) {
            bytes = (bytes << 8) | (k < key.size() ? static_cast<unsigned char>(key[k]) : 0u);
        }
        return bytes;
    };
    return {bytesAt(0), bytesAt(8)};
}

NameCollation::NameCollation() : NameCollation(QLocale()) {}

NameCollation::NameCollation(const QLocale& locale) : m_collator(CollatingLocale(locale)) {
    m_collator.setCaseSensitivity(Qt::CaseInsensitive);
    m_collator.setNumericMode(false);
    m_collator.setIgnorePunctuation(false);
}

int NameCollation::Compare(std::string_view a, std::string_view b) const {
    const int order = Sign(m_collator.compare(Decoded(a), Decoded(b)));
    return order != 0 ? order : ByteOrder(a, b);
}

NameSortKeys NameCollation::KeysOf(std::span<const std::string> names) const {
    NameSortKeys keys;
    keys.m_names = names;
    // The locale's own sort keys cost several times a plain listing of the
    // folder; names of plain ASCII, the usual case, get keys of one byte
    // per character from a table measured once per sort.
    std::optional<AsciiPlaces> places;
    if (std::all_of(names.begin(), names.end(), IsAscii)) {
        places = MeasureAsciiPlaces(m_collator);
    }
    if (places) {
        keys.m_ascii = true;
        // Sized once: growing the buffer step by step costs more in fresh
        // memory pages than making the keys does.
        std::size_t total = 0;
        for (const std::string& name : names) {
            total += name.size();
        }
        keys.m_asciiKeys.resize(total);
        keys.m_asciiEnds.reserve(names.size());
        char* const begin = keys.m_asciiKeys.data();
        char* out = begin;
        for (const std::string& name : names) {
            for (char c : name) {
                *out = static_cast<char>((*places)[static_cast<unsigned char>(c)]);
                out += *out != 0; // a character the locale passes over is left out
            }
            keys.m_asciiEnds.push_back(static_cast<std::size_t>(out - begin));
        }
        keys.m_asciiKeys.resize(static_cast<std::size_t>(out - begin));
        return keys;
    }
    keys.m_collated.reserve(names.size());
    for (const std::string& name : names) {
        keys.m_collated.push_back(m_collator.sortKey(Decoded(name)));
    }
    return keys;
}

} // namespace vimbrel::platform
