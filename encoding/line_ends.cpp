#include "encoding/line_ends.h"

#include <algorithm>
#include <cstring>

namespace {

// A bit at the top of each byte of `word` that is zero (no carries between bytes).
std::uint64_t ZeroBytes(std::uint64_t word) {
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    return ~(((word & kLow7) + kLow7) | word | kLow7);
}

// The first CR or LF at or after i, or count: most of a text is neither, so it is passed over eight
// bytes at a time.
std::size_t NextBreakByte(const char* bytes, std::size_t i, std::size_t count) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    for (; count - i >= 8; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes + i, 8);
        if (ZeroBytes(word ^ (kOnes * '\r')) | ZeroBytes(word ^ (kOnes * '\n'))) break;
    }
    for (; i < count; ++i)
        if (bytes[i] == '\r' || bytes[i] == '\n') return i;
    return count;
}

}  // namespace

std::string_view LineBreakOf(LineEndKind kind, LineBreakUnits units) {
    static constexpr std::string_view kBreaks[3][3] = {
        {"\r\n", "\n", "\r"},
        {std::string_view("\r\0\n\0", 4), std::string_view("\n\0", 2), std::string_view("\r\0", 2)},
        {std::string_view("\0\r\0\n", 4), std::string_view("\0\n", 2), std::string_view("\0\r", 2)},
    };
    return kBreaks[static_cast<int>(units)][static_cast<int>(kind)];
}

LineEndKind LineEndOfBreak(std::string_view breakBytes) {
    if (breakBytes == "\n") return LineEndKind::Lf;
    if (breakBytes == "\r") return LineEndKind::Cr;
    return LineEndKind::CrLf;
}

LineEndKind FirstLineEnd(std::string_view text) {
    const std::size_t at = NextBreakByte(text.data(), 0, text.size());
    if (at == text.size()) return LineEndKind::CrLf;
    if (text[at] == '\n') return LineEndKind::Lf;
    return at + 1 < text.size() && text[at + 1] == '\n' ? LineEndKind::CrLf : LineEndKind::Cr;
}

bool LineEndCensus::Mixed() const {
    const int kinds = (Count(LineEndKind::CrLf) > 0) + (Count(LineEndKind::Lf) > 0) + (Count(LineEndKind::Cr) > 0);
    return kinds > 1;
}

LineEndCensus& LineEndCensus::operator+=(const LineEndCensus& other) {
    crs += other.crs;
    lfs += other.lfs;
    pairs += other.pairs;
    return *this;
}

LineEndCensus& LineEndCensus::operator-=(const LineEndCensus& other) {
    crs -= other.crs;
    lfs -= other.lfs;
    pairs -= other.pairs;
    return *this;
}

LineEndCensus CountLineEnds(const char* bytes, std::size_t count, char next) {
    LineEndCensus census;
    for (std::size_t i = NextBreakByte(bytes, 0, count); i < count; i = NextBreakByte(bytes, i + 1, count)) {
        if (bytes[i] == '\n') {
            ++census.lfs;
            continue;
        }
        ++census.crs;
        if ((i + 1 < count ? bytes[i + 1] : next) == '\n') ++census.pairs;
    }
    return census;
}

namespace {

// The UTF-16 form: the same walk over code units, whose CR and LF are 0x000D and 0x000A.
std::size_t AppendUnitsWithLineEnds(std::string_view text, LineEndKind kind, bool atEnd, std::string& out,
                                    bool bigEndian) {
    const std::string_view lineBreak = LineBreakOf(kind, bigEndian ? LineBreakUnits::Utf16BE : LineBreakUnits::Utf16LE);
    const std::size_t units = text.size() / 2;
    auto unit = [&](std::size_t u) {
        const auto first = static_cast<unsigned char>(text[2 * u]), second = static_cast<unsigned char>(text[2 * u + 1]);
        return bigEndian ? first << 8 | second : second << 8 | first;
    };
    std::size_t copied = 0;
    for (std::size_t u = 0; u < units; ++u) {
        const int c = unit(u);
        if (c != '\r' && c != '\n') continue;
        std::size_t breakUnits = 1;
        if (c == '\r') {
            if (u + 1 == units && !atEnd) {
                out.append(text.data() + copied, 2 * u - copied);
                return 2 * u;
            }
            if (u + 1 < units && unit(u + 1) == '\n') breakUnits = 2;
        }
        out.append(text.data() + copied, 2 * u - copied);
        out.append(lineBreak);
        u += breakUnits - 1;
        copied = 2 * (u + 1);
    }
    const std::size_t decided = atEnd ? text.size() : 2 * units;
    out.append(text.data() + copied, decided - copied);
    return decided;
}

}  // namespace

std::size_t AppendWithLineEnds(std::string_view text, LineEndKind kind, bool atEnd, std::string& out,
                               LineBreakUnits units) {
    if (units != LineBreakUnits::Bytes)
        return AppendUnitsWithLineEnds(text, kind, atEnd, out, units == LineBreakUnits::Utf16BE);
    const std::string_view lineBreak = LineBreakOf(kind);
    const char* bytes = text.data();
    const std::size_t count = text.size();
    std::size_t copied = 0;
    for (std::size_t i = NextBreakByte(bytes, 0, count); i < count; i = NextBreakByte(bytes, i, count)) {
        std::size_t breakLength = 1;
        if (bytes[i] == '\r') {
            if (i + 1 == count && !atEnd) {
                out.append(bytes + copied, i - copied);
                return i;
            }
            if (i + 1 < count && bytes[i + 1] == '\n') breakLength = 2;
        }
        out.append(bytes + copied, i - copied);
        out.append(lineBreak);
        i += breakLength;
        copied = i;
    }
    out.append(bytes + copied, count - copied);
    return count;
}

std::string WithLineEnds(std::string_view text, LineEndKind kind) {
    std::string out;
    out.reserve(kind == LineEndKind::CrLf ? text.size() + text.size() / 16 : text.size());
    AppendWithLineEnds(text, kind, true, out);
    return out;
}

std::size_t LengthWithLineEnds(std::string_view text, LineEndKind kind) {
    const LineEndCensus census = CountLineEnds(text.data(), text.size());
    const std::size_t breaks = census.crs + census.lfs - census.pairs;
    return text.size() - census.crs - census.lfs + breaks * LineBreakOf(kind).size();
}

LineEndKind LineEndOf(std::string_view text) {
    if (text.find("\r\n") != std::string_view::npos) return LineEndKind::CrLf;
    return text.find('\n') != std::string_view::npos ? LineEndKind::Lf : LineEndKind::CrLf;
}

std::string WithCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out += '\r';
        out += text[i];
    }
    return out;
}

std::string WithLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
    return out;
}
