#include "encoding/mojibake_references.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

struct Named {
    std::string_view name;
    char32_t character;
};

// The named references of the characters mojibake is made of: Latin-1's and those 1252 adds, sorted.
constexpr Named kNamed[] = {
    {"AElig", 0x00C6},
    {"Aacute", 0x00C1},
    {"Acirc", 0x00C2},
    {"Agrave", 0x00C0},
    {"Aring", 0x00C5},
    {"Atilde", 0x00C3},
    {"Auml", 0x00C4},
    {"Ccedil", 0x00C7},
    {"Dagger", 0x2021},
    {"ETH", 0x00D0},
    {"Eacute", 0x00C9},
    {"Ecirc", 0x00CA},
    {"Egrave", 0x00C8},
    {"Euml", 0x00CB},
    {"Iacute", 0x00CD},
    {"Icirc", 0x00CE},
    {"Igrave", 0x00CC},
    {"Iuml", 0x00CF},
    {"Ntilde", 0x00D1},
    {"OElig", 0x0152},
    {"Oacute", 0x00D3},
    {"Ocirc", 0x00D4},
    {"Ograve", 0x00D2},
    {"Oslash", 0x00D8},
    {"Otilde", 0x00D5},
    {"Ouml", 0x00D6},
    {"Scaron", 0x0160},
    {"THORN", 0x00DE},
    {"Uacute", 0x00DA},
    {"Ucirc", 0x00DB},
    {"Ugrave", 0x00D9},
    {"Uuml", 0x00DC},
    {"Yacute", 0x00DD},
    {"Yuml", 0x0178},
    {"Zcaron", 0x017D},
    {"aacute", 0x00E1},
    {"acirc", 0x00E2},
    {"acute", 0x00B4},
    {"aelig", 0x00E6},
    {"agrave", 0x00E0},
    {"aring", 0x00E5},
    {"atilde", 0x00E3},
    {"auml", 0x00E4},
    {"bdquo", 0x201E},
    {"brvbar", 0x00A6},
    {"bull", 0x2022},
    {"ccedil", 0x00E7},
    {"cedil", 0x00B8},
    {"cent", 0x00A2},
    {"circ", 0x02C6},
    {"copy", 0x00A9},
    {"curren", 0x00A4},
    {"dagger", 0x2020},
    {"deg", 0x00B0},
    {"divide", 0x00F7},
    {"eacute", 0x00E9},
    {"ecirc", 0x00EA},
    {"egrave", 0x00E8},
    {"eth", 0x00F0},
    {"euml", 0x00EB},
    {"euro", 0x20AC},
    {"fnof", 0x0192},
    {"frac12", 0x00BD},
    {"frac14", 0x00BC},
    {"frac34", 0x00BE},
    {"hellip", 0x2026},
    {"iacute", 0x00ED},
    {"icirc", 0x00EE},
    {"iexcl", 0x00A1},
    {"igrave", 0x00EC},
    {"iquest", 0x00BF},
    {"iuml", 0x00EF},
    {"laquo", 0x00AB},
    {"ldquo", 0x201C},
    {"lsaquo", 0x2039},
    {"lsquo", 0x2018},
    {"macr", 0x00AF},
    {"mdash", 0x2014},
    {"micro", 0x00B5},
    {"middot", 0x00B7},
    {"nbsp", 0x00A0},
    {"ndash", 0x2013},
    {"not", 0x00AC},
    {"ntilde", 0x00F1},
    {"oacute", 0x00F3},
    {"ocirc", 0x00F4},
    {"oelig", 0x0153},
    {"ograve", 0x00F2},
    {"ordf", 0x00AA},
    {"ordm", 0x00BA},
    {"oslash", 0x00F8},
    {"otilde", 0x00F5},
    {"ouml", 0x00F6},
    {"para", 0x00B6},
    {"permil", 0x2030},
    {"plusmn", 0x00B1},
    {"pound", 0x00A3},
    {"raquo", 0x00BB},
    {"rdquo", 0x201D},
    {"reg", 0x00AE},
    {"rsaquo", 0x203A},
    {"rsquo", 0x2019},
    {"sbquo", 0x201A},
    {"scaron", 0x0161},
    {"sect", 0x00A7},
    {"shy", 0x00AD},
    {"sup1", 0x00B9},
    {"sup2", 0x00B2},
    {"sup3", 0x00B3},
    {"szlig", 0x00DF},
    {"thorn", 0x00FE},
    {"tilde", 0x02DC},
    {"times", 0x00D7},
    {"trade", 0x2122},
    {"uacute", 0x00FA},
    {"ucirc", 0x00FB},
    {"ugrave", 0x00F9},
    {"uml", 0x00A8},
    {"uuml", 0x00FC},
    {"yacute", 0x00FD},
    {"yen", 0x00A5},
    {"yuml", 0x00FF},
    {"zcaron", 0x017E},
};

bool IsHex(char32_t c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// The character of the reference at text[at] ('&'), with its length; 0 when there is none.
char32_t ReferenceAt(std::u32string_view text, std::size_t at, std::size_t& length) {
    std::size_t end = at + 1;
    while (end < text.size() && end - at < 12 && text[end] != ';' && text[end] != '&' && text[end] < 0x80 && text[end] > ' ') ++end;
    if (end >= text.size() || text[end] != ';' || end == at + 1) return 0;
    length = end + 1 - at;
    std::string name;
    for (std::size_t i = at + 1; i < end; ++i) name += static_cast<char>(text[i]);
    if (name[0] == '#') {
        const bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
        const std::size_t digits = hex ? 2 : 1;
        if (name.size() == digits) return 0;
        char32_t c = 0;
        for (std::size_t i = digits; i < name.size(); ++i) {
            const char d = name[i];
            if (hex ? !IsHex(static_cast<unsigned char>(d)) : (d < '0' || d > '9')) return 0;
            c = c * (hex ? 16 : 10) + static_cast<char32_t>(d <= '9' ? d - '0' : (d | 0x20) - 'a' + 10);
            if (c > 0x10FFFF) return 0;
        }
        return (c >= 0xD800 && c < 0xE000) || c < 0x80 ? 0 : c;
    }
    const auto* found = std::lower_bound(std::begin(kNamed), std::end(kNamed), name,
                                         [](const Named& n, const std::string& key) { return n.name < key; });
    return found != std::end(kNamed) && found->name == name ? found->character : 0;
}

}  // namespace

namespace mojibake {

bool DecodeReferences(std::u32string_view text, std::u32string& out, std::size_t& count) {
    out.clear();
    count = 0;
    if (text.find(U'&') == std::u32string_view::npos) return false;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t length = 0;
        const char32_t c = text[at] == '&' ? ReferenceAt(text, at, length) : 0;
        if (c) {
            out += c;
            ++count;
            at += length;
        } else {
            out += text[at++];
        }
    }
    return count > 0;
}

bool HasReferences(std::string_view bytes) {
    for (std::size_t at = bytes.find('&'); at != std::string_view::npos; at = bytes.find('&', at + 1)) {
        // A reference is ASCII and at most 12 characters after its '&': a byte beyond ASCII ends it
        // as the character it is part of would.
        char32_t window[13];
        std::size_t size = 0;
        for (std::size_t i = at; i < bytes.size() && size < std::size(window); ++i)
            window[size++] = static_cast<char32_t>(static_cast<std::uint8_t>(bytes[i]));
        std::size_t length = 0;
        if (ReferenceAt(std::u32string_view(window, size), 0, length)) return true;
    }
    return false;
}

}  // namespace mojibake
