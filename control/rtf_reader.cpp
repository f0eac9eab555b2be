#include "control/rtf_reader.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "base/charts.h"
#include "encoding/code_page_tables.h"

namespace {

constexpr std::array<char16_t, 32> kWindows1252Low = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

// The 1251 byte of a Unicode character, or -1.
int AnsiByteOf(std::uint32_t character) {
    if (character < 0x80) return static_cast<int>(character);
    if (character > 0xFFFF) return -1;
    return charts::PositionOf(charts::kWindows1251, static_cast<char16_t>(character));
}

using ByteMap = std::array<std::uint8_t, 256>;

ByteMap FromConversion(ConversionCodePage source) {
    ConversionMap map = ConversionBetween(source, kAnsi1251);
    return map.byteFor;
}

ByteMap From1252() {
    ByteMap map{};
    for (int b = 0; b < 256; ++b) {
        char16_t character = b < 0x80 ? static_cast<char16_t>(b)
                             : b < 0xA0 ? kWindows1252Low[b - 0x80]
                                        : static_cast<char16_t>(b);
        int ansi = character == 0 ? -1 : AnsiByteOf(character);
        map[b] = static_cast<std::uint8_t>(ansi < 0 ? '?' : ansi);
    }
    return map;
}

// The map from a code page's bytes to 1251, or nullptr when the bytes are kept as they are (1251
// itself, and code pages the program has no chart for).
const ByteMap* MapToAnsi(int codePage) {
    static const ByteMap oem = FromConversion(kOem866);
    static const ByteMap koi8 = FromConversion(kKoi8R);
    static const ByteMap iso = FromConversion(kIso8859_5);
    static const ByteMap mac = FromConversion(kMacCyrillic);
    static const ByteMap latin = From1252();
    switch (codePage) {
    case 866: return &oem;
    case 20866:
    case 878: return &koi8;
    case 28595: return &iso;
    case 10007: return &mac;
    case 1252: return &latin;
    default: return nullptr;
    }
}

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

enum class Destination { Text, FontTable, Skipped };

struct GroupState {
    Destination destination = Destination::Text;
    int unicodeSkip = 1;  // \ucN: the characters of a \uN fallback
    int font = -1;        // \fN in effect; -1 until one is chosen
};

// Destinations whose text is not part of the document (besides every \* group).
bool IsSkippedDestination(std::string_view word) {
    static constexpr std::string_view kWords[] = {
        "colortbl", "stylesheet", "info", "pict", "object", "objdata", "header", "headerl", "headerr", "headerf",
        "footer", "footerl", "footerr", "footerf", "footnote", "fldinst", "xe", "tc", "txe", "rxe", "listtable",
        "listoverridetable", "revtbl", "rsidtbl", "filetbl", "themedata", "colorschememapping", "datastore",
        "latentstyles", "pn", "pntxta", "pntxtb", "private", "template", "bkmkstart", "bkmkend", "nonshppict",
        "userprops", "docvar", "fchars", "lchars", "pgdsctbl", "atnid", "atnauthor", "annotation", "comment",
        "generator", "xmlnstbl", "mmathPr", "blipuid", "shpinst", "sp", "sn", "sv",
    };
    for (std::string_view skipped : kWords)
        if (word == skipped) return true;
    return false;
}

class RtfReader {
public:
    explicit RtfReader(std::string_view rtf) : in_(rtf) { out_.reserve(rtf.size() / 2); }

    std::string Read() {
        while (pos_ < in_.size()) {
            char c = in_[pos_++];
            if (c == '{') {
                OpenGroup();
            } else if (c == '}') {
                if (!CloseGroup()) break;
            } else if (c == '\\') {
                ControlSequence();
            } else if (c == '\r' || c == '\n') {
                // Line breaks of the RTF source are not text.
            } else if (c == '\t') {
                Emit('\t');
            } else {
                EmitByte(static_cast<unsigned char>(c));
            }
        }
        return std::move(out_);
    }

private:
    GroupState& State() { return groups_.back(); }

    void OpenGroup() {
        pendingFallback_ = 0;
        groups_.push_back(groups_.empty() ? GroupState{} : groups_.back());
    }

    // False when the outermost group has closed: the document ends there.
    bool CloseGroup() {
        pendingFallback_ = 0;
        if (!groups_.empty()) groups_.pop_back();
        return !groups_.empty();
    }

    // One character of a \uN fallback is due to be skipped instead of shown.
    bool SkipsAsFallback() {
        if (pendingFallback_ == 0) return false;
        --pendingFallback_;
        return true;
    }

    void Emit(char c) {
        if (!groups_.empty() && State().destination == Destination::Text) out_.push_back(c);
    }

    void EmitText(std::string_view text) {
        for (char c : text) Emit(c);
    }

    // A byte of the document's (or the current font's) code page.
    void EmitByte(unsigned char byte) {
        if (SkipsAsFallback()) return;
        if (byte >= 0x80) {
            if (const ByteMap* map = MapToAnsi(CurrentCodePage())) byte = (*map)[byte];
        }
        Emit(static_cast<char>(byte));
    }

    int CurrentCodePage() {
        int font = groups_.empty() || State().font < 0 ? defaultFont_ : State().font;
        auto found = fontCodePages_.find(font);
        return found != fontCodePages_.end() ? found->second : documentCodePage_;
    }

    void ControlSequence() {
        if (pos_ >= in_.size()) return;
        char c = in_[pos_];
        if (!IsLetter(c)) {
            ++pos_;
            ControlSymbol(c);
            return;
        }
        std::size_t start = pos_;
        while (pos_ < in_.size() && IsLetter(in_[pos_])) ++pos_;
        std::string_view word = in_.substr(start, pos_ - start);
        bool hasParameter = false;
        bool negative = false;
        std::int64_t parameter = 0;
        if (pos_ < in_.size() && in_[pos_] == '-' && pos_ + 1 < in_.size() && IsDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        while (pos_ < in_.size() && IsDigit(in_[pos_])) {
            hasParameter = true;
            if (parameter < 100'000'000'000) parameter = parameter * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
        if (negative) parameter = -parameter;
        ControlWord(word, hasParameter, parameter);
    }

    void ControlSymbol(char c) {
        switch (c) {
        case '\'': {
            int value = 0;
            int digits = 0;
            while (digits < 2 && pos_ < in_.size() && HexValue(in_[pos_]) >= 0) {
                value = value * 16 + HexValue(in_[pos_++]);
                ++digits;
            }
            if (digits > 0) EmitByte(static_cast<unsigned char>(value));
            return;
        }
        case '*':
            // An optional destination: text a reader that does not know it must drop.
            if (!groups_.empty()) State().destination = Destination::Skipped;
            return;
        case '\r':
        case '\n':
            if (!SkipsAsFallback()) EmitText("\r\n");
            return;
        default:
            break;
        }
        if (SkipsAsFallback()) return;
        switch (c) {
        case '\\':
        case '{':
        case '}': Emit(c); break;
        case '~': Emit('\xA0'); break;
        case '_': Emit('-'); break;
        case '-':  // an optional hyphen is not shown in running text
        default: break;
        }
    }

    void ControlWord(std::string_view word, bool hasParameter, std::int64_t parameter) {
        if (groups_.empty()) return;
        GroupState& state = State();
        if (word == "bin") {
            // Binary data of the given length follows; it is never text and may hold braces.
            std::int64_t length = hasParameter && parameter > 0 ? parameter : 0;
            pos_ += static_cast<std::size_t>(std::min<std::int64_t>(length, static_cast<std::int64_t>(in_.size() - pos_)));
            SkipsAsFallback();
            return;
        }
        // Nothing inside a dropped destination can bring its text back.
        if (state.destination == Destination::Skipped) return;
        if (word == "u" && hasParameter) {
            if (SkipsAsFallback()) return;
            std::int64_t n = parameter < 0 ? parameter + 65536 : parameter;
            int ansi = n >= 0 ? AnsiByteOf(static_cast<std::uint32_t>(n)) : -1;
            if (ansi >= 0) {
                Emit(static_cast<char>(ansi));
                pendingFallback_ = state.unicodeSkip;
            } else if (state.unicodeSkip == 0) {
                Emit('?');
            }
            return;
        }
        if (SkipsAsFallback()) return;
        if (word == "uc") {
            state.unicodeSkip = hasParameter && parameter >= 0 && parameter < 1000 ? static_cast<int>(parameter) : 1;
        } else if (word == "ansicpg") {
            if (hasParameter && parameter > 0 && parameter < 100000) documentCodePage_ = static_cast<int>(parameter);
        } else if (word == "deff") {
            if (hasParameter) defaultFont_ = static_cast<int>(parameter);
        } else if (word == "fonttbl") {
            state.destination = Destination::FontTable;
        } else if (word == "f" && hasParameter) {
            if (state.destination == Destination::FontTable) definedFont_ = static_cast<int>(parameter);
            else state.font = static_cast<int>(parameter);
        } else if (word == "fcharset" && state.destination == Destination::FontTable) {
            // Only a Cyrillic charset overrides the document's code page: Latin charsets are so often
            // given to fonts holding 1251 bytes that honouring them would turn Russian into accents.
            if (hasParameter && parameter == 204 && !fontCodePages_.count(definedFont_)) fontCodePages_[definedFont_] = 1251;
        } else if (word == "cpg" && state.destination == Destination::FontTable) {
            if (hasParameter && parameter > 0 && parameter < 100000) fontCodePages_[definedFont_] = static_cast<int>(parameter);
        } else if (IsSkippedDestination(word)) {
            state.destination = Destination::Skipped;
        } else if (word == "par" || word == "line" || word == "sect" || word == "page" || word == "row") {
            EmitText("\r\n");
        } else if (word == "tab" || word == "cell") {
            Emit('\t');
        } else if (word == "emdash") {
            Emit('\x97');
        } else if (word == "endash") {
            Emit('\x96');
        } else if (word == "bullet") {
            Emit('\x95');
        } else if (word == "lquote") {
            Emit('\x91');
        } else if (word == "rquote") {
            Emit('\x92');
        } else if (word == "ldblquote") {
            Emit('\x93');
        } else if (word == "rdblquote") {
            Emit('\x94');
        } else if (word == "emspace" || word == "enspace" || word == "qmspace") {
            Emit(' ');
        }
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    std::string out_;
    std::vector<GroupState> groups_;
    int pendingFallback_ = 0;
    int documentCodePage_ = 1251;
    int defaultFont_ = -1;
    int definedFont_ = -1;
    std::map<int, int> fontCodePages_;
};

}  // namespace

std::string RtfToPlainText(std::string_view rtf) {
    if (rtf.substr(0, 5) != "{\\rtf") return std::string(rtf);
    return RtfReader(rtf).Read();
}
