#include "playlists/AsxPlayList.h"

#include "platform/FileSystem.h"
#include "runtime/Conversions.h"
#include "runtime/Error.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace vimbrel {

namespace {

const char kSource[] = "PlayList";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool IsNameStart(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || byte >= 0x80;
}

bool IsNameEnd(char c) {
    return IsBlank(c) || c == '/' || c == '>' || c == '=';
}

bool IsBlankText(std::string_view text) {
    return std::all_of(text.begin(), text.end(), IsBlank);
}

void AppendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The text as UTF-8 when it is UTF-16, which Windows editors write as
// "Unicode"; nothing when it is not.
std::optional<std::string> FromUtf16(std::string_view text) {
    bool bigEndian = false;
    if (text.substr(0, 2) == "\xFE\xFF" || text.substr(0, 2) == std::string_view("\0<", 2)) {
        bigEndian = true;
    } else if (text.substr(0, 2) != "\xFF\xFE" && text.substr(0, 2) != std::string_view("<\0", 2)) {
        return std::nullopt;
    }
    auto unit = [&](std::size_t i) -> uint32_t {
        const auto first = static_cast<unsigned char>(text[i]);
        const auto second = static_cast<unsigned char>(text[i + 1]);
        return bigEndian ? (first << 8 | second) : (second << 8 | first);
    };
    std::string out;
    out.reserve(text.size() * 3 / 2);
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        uint32_t code = unit(i);
        if (code >= 0xD800 && code <= 0xDBFF && i + 3 < text.size()) {
            const uint32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (code == 0xFEFF && i == 0) {
            continue;
        }
        AppendUtf8(out, code >= 0xD800 && code <= 0xDFFF ? 0xFFFD : code);
    }
    return out;
}

// The character a reference between "&" and ";" stands for, or nothing
// when it is not one of the predefined entities or a valid character
// reference.
std::optional<std::string> ReferencedCharacter(std::string_view name) {
    static constexpr std::pair<std::string_view, char> kPredefined[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [entity, character] : kPredefined) {
        if (name == entity) {
            return std::string(1, character);
        }
    }
    if (name.size() < 2 || name[0] != '#') {
        return std::nullopt;
    }
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8) {
        return std::nullopt;
    }
    uint32_t code = 0;
    for (const char c : digits) {
        int value = -1;
        if (c >= '0' && c <= '9') {
            value = c - '0';
        } else if (hex && c >= 'a' && c <= 'f') {
            value = c - 'a' + 10;
        } else if (hex && c >= 'A' && c <= 'F') {
            value = c - 'A' + 10;
        }
        if (value < 0) {
            return std::nullopt;
        }
        code = code * (hex ? 16 : 10) + static_cast<uint32_t>(value);
    }
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    std::string character;
    AppendUtf8(character, code);
    return character;
}

std::string DecodeReferences(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    std::size_t i = 0;
    while (i < value.size()) {
        if (value[i] == '&') {
            // References are short: looking no further keeps a long value
            // with many bare "&" linear.
            const std::size_t semicolon = value.substr(i + 1, 12).find(';');
            if (semicolon != std::string_view::npos) {
                if (auto character = ReferencedCharacter(value.substr(i + 1, semicolon))) {
                    out += *character;
                    i += semicolon + 2;
                    continue;
                }
            }
        }
        out += value[i++];
    }
    return out;
}

// One piece of the document, as far as an ASX reader cares.
struct Token {
    enum class Kind { StartTag, EndTag, Text, End };
    Kind kind = Kind::End;
    std::string_view name;       // of a tag
    std::string_view attributes; // of a start tag: what stands after the name
    bool selfClosing = false;    // "<name ... />"
    std::string_view text;       // of text
};

// Splits the document into tags and text. Comments, CDATA sections,
// processing instructions and declarations are passed over unread; markup
// cut short by the end of the text ends the document.
class XmlScanner {
public:
    explicit XmlScanner(std::string_view text) : m_text(text) {}

    Token Next() {
        while (m_pos < m_text.size()) {
            const std::string_view rest = m_text.substr(m_pos);
            if (rest[0] != '<' || rest.size() < 2 ||
                !(IsNameStart(rest[1]) || rest[1] == '/' || rest[1] == '!' || rest[1] == '?')) {
                // Text runs to the next "<"; a "<" that starts no markup is
                // text, as careless writers leave it.
                const std::size_t end = rest.find('<', 1);
                m_pos = end == std::string_view::npos ? m_text.size() : m_pos + end;
                return Token{Token::Kind::Text, {}, {}, false, rest.substr(0, end)};
            }
            if (rest.substr(0, 4) == "<!--") {
                SkipPast("-->", 4);
            } else if (rest.substr(0, 9) == "<![CDATA[") {
                SkipPast("]]>", 9);
            } else if (rest[1] == '!') {
                SkipDeclaration();
            } else if (rest[1] == '?') {
                SkipPast("?>", 2);
            } else if (rest[1] == '/') {
                return EndTag();
            } else {
                return StartTag();
            }
        }
        return Token{};
    }

private:
    void SkipPast(std::string_view terminator, std::size_t from) {
        const std::size_t end = m_text.find(terminator, m_pos + from);
        m_pos = end == std::string_view::npos ? m_text.size() : end + terminator.size();
    }

    // "<!DOCTYPE ... [ ... ]>" and the like: the internal subset's
    // declarations, quoted strings and comments may hold ">" and "]".
    void SkipDeclaration() {
        std::size_t i = m_pos + 2;
        int depth = 0;
        while (i < m_text.size()) {
            const char c = m_text[i];
            if (c == '"' || c == '\'') {
                const std::size_t close = m_text.find(c, i + 1);
                i = close == std::string_view::npos ? m_text.size() : close + 1;
                continue;
            }
            if (m_text.substr(i, 4) == "<!--") {
                const std::size_t close = m_text.find("-->", i + 4);
                i = close == std::string_view::npos ? m_text.size() : close + 3;
                continue;
            }
            if (c == '[') {
                ++depth;
            } else if (c == ']') {
                depth = std::max(depth - 1, 0);
            } else if (c == '>' && depth == 0) {
                m_pos = i + 1;
                return;
            }
            ++i;
        }
        m_pos = m_text.size();
    }

    Token EndTag() {
        const std::size_t close = m_text.find('>', m_pos);
        if (close == std::string_view::npos) {
            m_pos = m_text.size();
            return Token{};
        }
        std::size_t nameEnd = m_pos + 2;
        while (nameEnd < close && !IsNameEnd(m_text[nameEnd])) {
            ++nameEnd;
        }
        Token token{
            Token::Kind::EndTag, m_text.substr(m_pos + 2, nameEnd - m_pos - 2), {}, false, {}};
        m_pos = close + 1;
        return token;
    }

    Token StartTag() {
        std::size_t i = m_pos + 1;
        while (i < m_text.size() && !IsNameEnd(m_text[i])) {
            ++i;
        }
        const std::size_t nameEnd = i;
        // A quote opens a value only after "=": an unquoted value may hold
        // an apostrophe of its own.
        bool afterEquals = false;
        while (i < m_text.size() && m_text[i] != '>') {
            const char c = m_text[i];
            if ((c == '"' || c == '\'') && afterEquals) {
                const std::size_t close = m_text.find(c, i + 1);
                if (close == std::string_view::npos) {
                    i = m_text.size();
                    break;
                }
                i = close + 1;
                afterEquals = false;
                continue;
            }
            if (c == '=') {
                afterEquals = true;
            } else if (!IsBlank(c)) {
                afterEquals = false;
            }
            ++i;
        }
        if (i >= m_text.size()) {
            m_pos = m_text.size();
            return Token{};
        }
        Token token{Token::Kind::StartTag,
                    m_text.substr(m_pos + 1, nameEnd - m_pos - 1),
                    m_text.substr(nameEnd, i - nameEnd),
                    false,
                    {}};
        while (!token.attributes.empty() && IsBlank(token.attributes.back())) {
            token.attributes.remove_suffix(1);
        }
        if (!token.attributes.empty() && token.attributes.back() == '/') {
            token.selfClosing = true;
            token.attributes.remove_suffix(1);
        }
        m_pos = i + 1;
        return token;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

// The raw value of the attribute of that name (in any case), or nothing.
std::optional<std::string_view> AttributeValue(std::string_view attributes,
                                               std::string_view wanted) {
    std::size_t i = 0;
    auto skipBlanks = [&] {
        while (i < attributes.size() && IsBlank(attributes[i])) {
            ++i;
        }
    };
    while (true) {
        skipBlanks();
        if (i >= attributes.size()) {
            return std::nullopt;
        }
        const std::size_t nameStart = i;
        while (i < attributes.size() && !IsBlank(attributes[i]) && attributes[i] != '=') {
            ++i;
        }
        const std::string_view name = attributes.substr(nameStart, i - nameStart);
        skipBlanks();
        std::string_view value;
        if (i < attributes.size() && attributes[i] == '=') {
            ++i;
            skipBlanks();
            if (i < attributes.size() && (attributes[i] == '"' || attributes[i] == '\'')) {
                const std::size_t close = attributes.find(attributes[i], i + 1);
                const std::size_t end = close == std::string_view::npos ? attributes.size() : close;
                value = attributes.substr(i + 1, end - i - 1);
                i = end + 1;
            } else {
                const std::size_t start = i;
                while (i < attributes.size() && !IsBlank(attributes[i])) {
                    ++i;
                }
                value = attributes.substr(start, i - start);
            }
        }
        if (EqualsIgnoringAsciiCase(name, wanted)) {
            return value;
        }
    }
}

// The entry being read: its first local alternative, and whether that is
// settled as the one to play.
class EntryChoice {
public:
    void Offer(std::string path) {
        if (m_settled) {
            return;
        }
        if (!m_path) {
            m_path = std::move(path);
            return;
        }
        // Files are looked up only when there is a choice to make.
        if (!m_checked) {
            m_checked = true;
            if (platform::PathExists(*m_path)) {
                m_settled = true;
                return;
            }
        }
        if (platform::PathExists(path)) {
            m_path = std::move(path);
            m_settled = true;
        }
    }
    // The entry's path, if any; the choice starts over.
    std::optional<std::string> Take() {
        std::optional<std::string> path = std::move(m_path);
        *this = EntryChoice();
        return path;
    }

private:
    std::optional<std::string> m_path;
    bool m_checked = false;
    bool m_settled = false;
};

std::optional<std::string> HrefPath(const Token& tag, const std::filesystem::path& folder) {
    const std::optional<std::string_view> href = AttributeValue(tag.attributes, "href");
    if (!href) {
        return std::nullopt;
    }
    return PlayListEntryPath(DecodeReferences(*href), folder);
}

} // namespace

void ReadAsxEntries(std::string_view text, const std::filesystem::path& folder,
                    const PlayListSink& take) {
    std::string converted;
    if (std::optional<std::string> utf8 = FromUtf16(text)) {
        converted = std::move(*utf8);
        text = converted;
    }
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        text.remove_prefix(3);
    }
    XmlScanner xml(text);
    Token token = xml.Next();
    while (token.kind == Token::Kind::Text && IsBlankText(token.text)) {
        token = xml.Next();
    }
    if (token.kind != Token::Kind::StartTag || !EqualsIgnoringAsciiCase(token.name, "asx")) {
        throw Error(ErrorNumber::PathFileAccessError, kSource, "Not an ASX play list");
    }
    if (token.selfClosing) {
        return;
    }
    EntryChoice entry;
    bool inEntry = false;
    // Hands on the entry being read, if any; false when the taker is done.
    auto finishEntry = [&] {
        std::optional<std::string> path = entry.Take();
        inEntry = false;
        return !path || take(std::move(*path));
    };
    while (true) {
        token = xml.Next();
        if (token.kind == Token::Kind::End) {
            finishEntry();
            return;
        }
        if (token.kind == Token::Kind::EndTag) {
            if (EqualsIgnoringAsciiCase(token.name, "asx")) {
                finishEntry();
                return;
            }
            if (EqualsIgnoringAsciiCase(token.name, "entry") && !finishEntry()) {
                return;
            }
        } else if (token.kind == Token::Kind::StartTag) {
            if (EqualsIgnoringAsciiCase(token.name, "entry")) {
                // An entry left open ends where the next one starts.
                if (!finishEntry()) {
                    return;
                }
                inEntry = !token.selfClosing;
            } else if (EqualsIgnoringAsciiCase(token.name, "ref") && inEntry) {
                if (std::optional<std::string> path = HrefPath(token, folder)) {
                    entry.Offer(std::move(*path));
                }
            } else if (EqualsIgnoringAsciiCase(token.name, "entryref")) {
                std::optional<std::string> path = HrefPath(token, folder);
                if (path && !take(std::move(*path))) {
                    return;
                }
            }
        }
    }
}

std::vector<std::string> ParseAsx(std::string_view text, const std::filesystem::path& folder) {
    std::vector<std::string> entries;
    ReadAsxEntries(text, folder, [&entries](std::string entry) {
        entries.push_back(std::move(entry));
        return entries.size() < kMaxPlayListEntries;
    });
    return entries;
}

} // namespace vimbrel
