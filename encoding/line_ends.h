#pragma once
// Line breaks and the kind a document's lines end with. A line break is CR LF, a lone CR or a lone
// LF. A document ends its lines as its first line break does (a text without one, new or empty, as
// CR LF): what the editor puts in as a line break is of that kind, and only a break of another kind
// is marked on screen. Files made elsewhere (LF from Linux and the web, CR from old Macs) so keep
// their line ends through every edit.
//
// The alignment lays lines out with CR LF; LineEndOf, WithCrLf and WithLf carry its text over to LF
// and back, by its own rule.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class LineEndKind : std::uint8_t { CrLf, Lf, Cr };

// What a line break is made of: single bytes (the code pages and UTF-8), or the 16-bit code units of
// UTF-16 in either byte order, whose CR and LF are two bytes each.
enum class LineBreakUnits : std::uint8_t { Bytes, Utf16LE, Utf16BE };

// The bytes of a line break of the kind.
std::string_view LineBreakOf(LineEndKind kind, LineBreakUnits units = LineBreakUnits::Bytes);
// The kind of the line break whose bytes these are (as a line index has them between a line's end
// and the next line's start): "\n" LF, "\r" CR, anything else CR LF.
LineEndKind LineEndOfBreak(std::string_view breakBytes);
// The kind of the text's first line break; CR LF when it has none.
LineEndKind FirstLineEnd(std::string_view text);

// How many line breaks of each kind a text holds, kept by counting CR and LF bytes and the CR LF
// pairs among them, so that a change of any range is counted by the bytes around it alone.
struct LineEndCensus {
    std::size_t crs = 0;
    std::size_t lfs = 0;
    std::size_t pairs = 0;  // a CR followed by a LF

    std::size_t Count(LineEndKind kind) const {
        return kind == LineEndKind::CrLf ? pairs : kind == LineEndKind::Lf ? lfs - pairs : crs - pairs;
    }
    // Breaks of more than one kind.
    bool Mixed() const;
    LineEndCensus& operator+=(const LineEndCensus& other);
    LineEndCensus& operator-=(const LineEndCensus& other);
    bool operator==(const LineEndCensus&) const = default;
};

// The CRs, LFs and CR LF pairs whose CR is among bytes[0, count); `next` is the byte that follows
// them (0 at the end of the text), which a CR at their end may pair with. Counts of neighbouring
// ranges add up to those of the whole; Count and Mixed speak of a whole text.
LineEndCensus CountLineEnds(const char* bytes, std::size_t count, char next = 0);

// Every line break of the text made `kind`; every other byte stays as it is.
std::string WithLineEnds(std::string_view text, LineEndKind kind);
// The same for text that arrives in blocks: appends what `text` decides to `out` and returns the bytes
// consumed. Unless `atEnd`, a CR at the end waits, since a LF in the next block would pair with it
// (and in UTF-16 a half unit at the end waits for its other half). In UTF-16 the units are counted
// from the start of `text`; an odd byte at the very end is kept as it is.
std::size_t AppendWithLineEnds(std::string_view text, LineEndKind kind, bool atEnd, std::string& out,
                               LineBreakUnits units = LineBreakUnits::Bytes);
// The length WithLineEnds would give, without making it.
std::size_t LengthWithLineEnds(std::string_view text, LineEndKind kind);

// LF when the text has a LF and no CR LF, CR LF otherwise.
LineEndKind LineEndOf(std::string_view text);
// Every LF without a CR in front of it gets one.
std::string WithCrLf(std::string_view text);
// Every CR LF becomes a LF.
std::string WithLf(std::string_view text);
