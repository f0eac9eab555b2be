#include "encoding/encoding_names.h"

namespace {

const EncodingNames kEncodingNames[] = {
    {TextEncoding::Cp1251, "1251", {"cp1251", "windows-1251", "win-1251", "ms-cyrl"}},
    {TextEncoding::Cp866, "866", {"cp866", "ibm866", "ibm-866", "csibm866", "dos-866"}},
    {TextEncoding::Koi8R, "koi8r", {"koi8-r", "koi8_r", "cp878", "cskoi8r"}},
    {TextEncoding::Iso8859_5, "iso", {"iso-8859-5", "iso8859-5", "iso_8859-5", "iso88595", "cyrillic", "cp28595"}},
    {TextEncoding::MacCyrillic, "mac", {"maccyrillic", "mac-cyrillic", "x-mac-cyrillic", "cp10007"}},
    {TextEncoding::Utf8, "utf-8", {"utf8"}},
    {TextEncoding::Utf16LE, "utf-16le", {"utf16le"}},
    {TextEncoding::Utf16BE, "utf-16be", {"utf16be"}},
};

// The table's names are lower case; only ASCII letters fold, as in every other program's names.
bool SameName(std::string_view given, std::string_view known) {
    if (given.size() != known.size()) return false;
    for (std::size_t i = 0; i < given.size(); ++i) {
        char c = given[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != known[i]) return false;
    }
    return true;
}

}  // namespace

std::span<const EncodingNames> AllEncodingNames() { return kEncodingNames; }

std::optional<TextEncoding> ParseEncoding(std::string_view name) {
    for (const EncodingNames& e : kEncodingNames) {
        if (SameName(name, e.name)) return e.encoding;
        for (const char* alias : e.aliases)
            if (SameName(name, alias)) return e.encoding;
    }
    return std::nullopt;
}

const char* EncodingName(TextEncoding encoding) {
    for (const EncodingNames& e : kEncodingNames)
        if (e.encoding == encoding) return e.name;
    return "?";
}
