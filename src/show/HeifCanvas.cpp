// Just enough of the HEIF box structure (ISO/IEC 23008-12 and 14496-12) to
// find the primary image's item type and the size a grid or overlay item
// declares; every read is bounded by the file's bytes.

#include "show/HeifCanvas.h"

#include <cstdint>
#include <string_view>

namespace vimbrel {

namespace {

// A range of the file's bytes, read from its start on.
class Reader {
public:
    Reader(const QByteArray& bytes, std::size_t begin, std::size_t end)
        : m_data(reinterpret_cast<const unsigned char*>(bytes.constData())), m_at(begin),
          m_end(std::min<std::size_t>(end, static_cast<std::size_t>(bytes.size()))) {}

    bool Has(std::size_t count) const { return m_at <= m_end && m_end - m_at >= count; }
    std::size_t At() const { return m_at; }
    std::size_t End() const { return m_end; }

    // A big-endian number of `bytes` bytes (0 to 8); nullopt past the end.
    std::optional<uint64_t> Number(std::size_t bytes) {
        if (bytes > 8 || !Has(bytes)) {
            return std::nullopt;
        }
        uint64_t value = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            value = (value << 8) | m_data[m_at++];
        }
        return value;
    }

    std::optional<std::string_view> FourCc() {
        if (!Has(4)) {
            return std::nullopt;
        }
        const auto* text = reinterpret_cast<const char*>(m_data + m_at);
        m_at += 4;
        return std::string_view(text, 4);
    }

    bool Skip(std::size_t count) {
        if (!Has(count)) {
            return false;
        }
        m_at += count;
        return true;
    }

private:
    const unsigned char* m_data;
    std::size_t m_at;
    std::size_t m_end;
};

struct Box {
    std::string_view type;
    std::size_t begin = 0; // of its contents
    std::size_t end = 0;
};

// The next box of the range, moving past it; nullopt at the end or at a box
// that does not fit.
std::optional<Box> NextBox(Reader& in) {
    const std::size_t start = in.At();
    const auto size32 = in.Number(4);
    const auto type = in.FourCc();
    if (!size32 || !type) {
        return std::nullopt;
    }
    uint64_t size = *size32;
    if (size == 1) {
        const auto large = in.Number(8);
        if (!large) {
            return std::nullopt;
        }
        size = *large;
    } else if (size == 0) {
        size = in.End() - start;
    }
    const std::size_t header = in.At() - start;
    if (size < header || size > in.End() - start) {
        return std::nullopt;
    }
    Box box{*type, in.At(), start + static_cast<std::size_t>(size)};
    in.Skip(box.end - in.At());
    return box;
}

std::optional<Box> FindBox(const QByteArray& bytes, std::size_t begin, std::size_t end,
                           std::string_view type) {
    Reader in(bytes, begin, end);
    while (const auto box = NextBox(in)) {
        if (box->type == type) {
            return box;
        }
    }
    return std::nullopt;
}

struct Location {
    int constructionMethod = 0; // 0: offset in the file, 1: in the idat box
    uint64_t offset = 0;        // of the first extent
};

std::optional<uint64_t> PrimaryItem(const QByteArray& bytes, const Box& pitm) {
    Reader in(bytes, pitm.begin, pitm.end);
    const auto version = in.Number(1);
    if (!version || !in.Skip(3)) {
        return std::nullopt;
    }
    return in.Number(*version == 0 ? 2 : 4);
}

std::optional<std::string_view> ItemType(const QByteArray& bytes, const Box& iinf, uint64_t item) {
    Reader in(bytes, iinf.begin, iinf.end);
    const auto version = in.Number(1);
    if (!version || !in.Skip(3) || !in.Skip(*version == 0 ? 2 : 4)) {
        return std::nullopt;
    }
    while (const auto infe = NextBox(in)) {
        Reader entry(bytes, infe->begin, infe->end);
        const auto entryVersion = entry.Number(1);
        if (infe->type != "infe" || !entryVersion || *entryVersion < 2 || !entry.Skip(3)) {
            continue;
        }
        const auto id = entry.Number(*entryVersion == 2 ? 2 : 4);
        if (id && *id == item && entry.Skip(2)) {
            return entry.FourCc();
        }
    }
    return std::nullopt;
}

std::optional<Location> ItemLocation(const QByteArray& bytes, const Box& iloc, uint64_t item) {
    Reader in(bytes, iloc.begin, iloc.end);
    const auto version = in.Number(1);
    const bool flags = in.Skip(3);
    const auto sizes = in.Number(1);
    const auto moreSizes = in.Number(1);
    if (!version || !flags || !sizes || !moreSizes || *version > 2) {
        return std::nullopt;
    }
    const std::size_t offsetSize = *sizes >> 4;
    const std::size_t lengthSize = *sizes & 0xF;
    const std::size_t baseOffsetSize = *moreSizes >> 4;
    const std::size_t indexSize = *version > 0 ? (*moreSizes & 0xF) : 0;
    const auto count = in.Number(*version < 2 ? 2 : 4);
    for (uint64_t i = 0; count && i < *count; ++i) {
        const auto id = in.Number(*version < 2 ? 2 : 4);
        Location location;
        if (*version > 0) {
            const auto method = in.Number(2);
            if (!method) {
                return std::nullopt;
            }
            location.constructionMethod = static_cast<int>(*method & 0xF);
        }
        const bool reference = in.Skip(2);
        const auto base = in.Number(baseOffsetSize);
        const auto extents = in.Number(2);
        if (!id || !reference || !base || !extents) {
            return std::nullopt;
        }
        for (uint64_t e = 0; e < *extents; ++e) {
            const bool index = in.Skip(indexSize);
            const auto offset = in.Number(offsetSize);
            if (!index || !offset || !in.Skip(lengthSize)) {
                return std::nullopt;
            }
            if (e == 0) {
                location.offset = *base + *offset;
            }
        }
        if (*id == item && *extents > 0) {
            return location;
        }
    }
    return std::nullopt;
}

} // namespace

bool LooksLikeHeif(const QByteArray& start) {
    if (start.size() < 12 || start.mid(4, 4) != "ftyp") {
        return false;
    }
    const QByteArray brand = start.mid(8, 4);
    for (const char* heif :
         {"heic", "heix", "hevc", "hevx", "heim", "heis", "mif1", "msf1", "avif", "avis"}) {
        if (brand == heif) {
            return true;
        }
    }
    return false;
}

std::optional<QSize> DeclaredCanvasSize(const QByteArray& file) {
    const auto size = static_cast<std::size_t>(file.size());
    const auto meta = FindBox(file, 0, size, "meta");
    if (!meta) {
        return std::nullopt;
    }
    // meta is a full box: its version and flags come before its boxes.
    const std::size_t inside = meta->begin + 4;
    const auto pitm = FindBox(file, inside, meta->end, "pitm");
    const auto iinf = FindBox(file, inside, meta->end, "iinf");
    const auto iloc = FindBox(file, inside, meta->end, "iloc");
    if (!pitm || !iinf || !iloc) {
        return std::nullopt;
    }
    const auto primary = PrimaryItem(file, *pitm);
    const auto type = primary ? ItemType(file, *iinf, *primary) : std::nullopt;
    if (!type || (*type != "grid" && *type != "iovl")) {
        return std::nullopt;
    }
    const auto location = ItemLocation(file, *iloc, *primary);
    if (!location || location->constructionMethod > 1) {
        return std::nullopt;
    }
    uint64_t at = location->offset;
    if (location->constructionMethod == 1) {
        const auto idat = FindBox(file, inside, meta->end, "idat");
        if (!idat) {
            return std::nullopt;
        }
        at += idat->begin;
    }
    if (at >= size) {
        return std::nullopt;
    }
    Reader in(file, static_cast<std::size_t>(at), size);
    const auto version = in.Number(1);
    const auto flags = in.Number(1);
    // A grid gives its rows and columns, an overlay its fill colour, first.
    if (!version || !flags || !in.Skip(*type == "grid" ? 2 : 8)) {
        return std::nullopt;
    }
    const std::size_t field = (*flags & 1) != 0 ? 4 : 2;
    const auto width = in.Number(field);
    const auto height = in.Number(field);
    if (!width || !height || *width > INT32_MAX || *height > INT32_MAX) {
        return std::nullopt;
    }
    return QSize(static_cast<int>(*width), static_cast<int>(*height));
}

} // namespace vimbrel
