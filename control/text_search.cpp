#include "control/text_search.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "base/charts.h"
#include "control/view_characters.h"
#include "encoding/utf8_sequences.h"

namespace {

bool IsLetterCharacter(char16_t c) {
    return (c >= 0x0400 && c <= 0x0481) || (c >= 0x048A && c <= 0x04FF) ||
           (c >= 0x00C0 && c <= 0x00FF && c != 0x00D7 && c != 0x00F7) || c == 0x00B5 || c == 0x00AA ||
           c == 0x00BA;
}

ViewLetters BuildLetters(const charts::HighHalf& chart) {
    ViewLetters letters{};
    for (int b = 0; b < 256; ++b) {
        WordClass wordClass = WordClass::Punctuation;
        unsigned char lower = static_cast<unsigned char>(b);
        if (b < 0x80) {
            wordClass = AsciiWordClass(static_cast<unsigned char>(b));
            if (b >= 'A' && b <= 'Z') lower = static_cast<unsigned char>(b + 0x20);
        } else {
            char16_t c = chart[b - 0x80];
            if (c == 0x00A0) wordClass = WordClass::Blank;
            else if (IsLetterCharacter(c)) wordClass = WordClass::Word;
            const char16_t small = static_cast<char16_t>(SmallLetterOf(c));
            if (small != c) {
                int position = charts::PositionOf(chart, small);
                if (position >= 0) lower = static_cast<unsigned char>(position);
            }
        }
        letters.classes[b] = wordClass;
        letters.lower[b] = lower;
    }
    return letters;
}

ViewLetters BuildUtf8Letters() {
    ViewLetters letters = BuildLetters(charts::kWindows1251);
    for (int b = 0x80; b < 256; ++b) {
        letters.classes[b] = WordClass::Word;
        letters.lower[b] = static_cast<unsigned char>(b);
    }
    letters.utf8 = true;
    return letters;
}

// Every letter to its small letter, character by character, in place (the lengths never change).
// A character cut by the end of the bytes stays as it is.
void FoldUtf8(std::string& bytes) {
    std::size_t i = 0;
    std::string small;
    while (i < bytes.size()) {
        const Utf8Character c = ReadUtf8Character(bytes, i);
        if (c.WellFormed()) {
            const char32_t folded = SmallLetterOf(c.code);
            if (folded != c.code) {
                small.clear();
                AppendUtf8(folded, small);
                bytes.replace(i, small.size(), small);
            }
        }
        i += c.length;
    }
}

WordClass ClassAt(const TextModel& text, std::size_t position, const ViewLetters& letters) {
    return letters.classes[text.At(position)];
}

// Horspool over bytes seen through a folding table: the identity for a case-sensitive search.
class Searcher {
public:
    Searcher(std::string_view pattern, const unsigned char* fold) : fold_(fold) {
        pattern_.resize(pattern.size());
        for (std::size_t i = 0; i < pattern.size(); ++i) pattern_[i] = fold[static_cast<unsigned char>(pattern[i])];
        std::size_t m = pattern_.size();
        for (auto& s : shift_) s = m;
        for (std::size_t i = 0; i + 1 < m; ++i) shift_[pattern_[i]] = m - 1 - i;
    }

    std::size_t Size() const { return pattern_.size(); }

    // Calls accept(offset) for each match in hay, in order, until it returns true; returns that offset.
    template <typename Accept>
    std::size_t Find(const unsigned char* hay, std::size_t count, Accept&& accept) const {
        std::size_t m = pattern_.size();
        if (count < m) return kNone;
        const unsigned char last = pattern_[m - 1];
        const unsigned char* p = pattern_.data();
        std::size_t j = 0;
        std::size_t end = count - m;
        while (j <= end) {
            unsigned char t = fold_[hay[j + m - 1]];
            if (t == last && Equal(hay + j, p, m - 1) && accept(j)) return j;
            j += shift_[t];
        }
        return kNone;
    }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

private:
    bool Equal(const unsigned char* a, const unsigned char* b, std::size_t n) const {
        for (std::size_t i = 0; i < n; ++i)
            if (fold_[a[i]] != b[i]) return false;
        return true;
    }

    const unsigned char* fold_;
    std::vector<unsigned char> pattern_;
    std::size_t shift_[256];
};

const unsigned char* IdentityFold() {
    static const auto table = [] {
        std::array<unsigned char, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
        return t;
    }();
    return table.data();
}

// The UTF-8 search without match case: the text is folded a block at a time, each block taken from
// a few bytes before its start so that the character holding the start is folded whole, and long
// enough past its end for a match that starts in it.
template <typename Accept>
std::size_t SearchFoldedUtf8(const TextModel& text, std::string_view pattern, std::size_t first, std::size_t last,
                             Accept&& acceptAt) {
    constexpr std::size_t kBlock = 1 << 16;
    std::string folded(pattern);
    FoldUtf8(folded);
    Searcher searcher(folded, IdentityFold());
    const std::size_t m = folded.size();
    std::string block;
    for (std::size_t start = first; start < last && last - start >= m; start += kBlock) {
        const std::size_t from = start - std::min<std::size_t>(start, 3);
        const std::size_t to = std::min(last, start + kBlock + m - 1);
        block = text.Range(from, to);
        FoldUtf8(block);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.data()) + (start - from);
        // A pattern that begins or ends with a malformed byte must still match whole characters.
        const auto wholeCharacters = [&](std::size_t offset) {
            const std::size_t at = start - from + offset;
            return StartsUtf8Character(block, at) && StartsUtf8Character(block, at + m);
        };
        const std::size_t found = searcher.Find(bytes, block.size() - (start - from), [&](std::size_t offset) {
            return wholeCharacters(offset) && acceptAt(start + offset);
        });
        if (found != Searcher::kNone) return start + found;
    }
    return TextModel::kNoPosition;
}

// Every letter of a UTF-16 text to its small letter, unit by unit in place: the letters that fold
// all lie in the first plane, so no length changes. bytes[0] is the first byte of a unit.
void FoldUtf16(std::string& bytes, bool bigEndian) {
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = Utf16UnitOf(reinterpret_cast<const std::uint8_t*>(bytes.data()) + i, bigEndian);
        if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) continue;
        const char32_t small = SmallLetterOf(unit);
        if (small == unit || small > 0xFFFF) continue;
        const char high = static_cast<char>(small >> 8), low = static_cast<char>(small & 0xFF);
        bytes[i] = bigEndian ? high : low;
        bytes[i + 1] = bigEndian ? low : high;
    }
}

// The search of the UTF-16 views: the pattern is UTF-16 in the view's byte order, and a match stands
// on whole characters, so it never begins in the middle of a unit or a pair. Without match case the
// text is folded a block at a time, each block from the unit before its start.
std::size_t SearchUtf16(const TextModel& text, std::string_view pattern, std::size_t first, std::size_t last,
                        SearchOptions options) {
    constexpr std::size_t kBlock = 1 << 16;
    const bool bigEndian = text.Form() == CharacterForm::Utf16Be;
    std::string folded(pattern);
    if (!options.matchCase) FoldUtf16(folded, bigEndian);
    Searcher searcher(folded, IdentityFold());
    const std::size_t m = folded.size();
    auto isWord = [&](std::size_t at) { return CharacterClassAt(text, at) == WordClass::Word; };
    auto accept = [&](std::size_t s) {
        if (CharacterStart(text, s) != s || CharacterStart(text, s + m) != s + m) return false;
        if (!options.wholeWord) return true;
        const bool startOk = s == 0 || !isWord(PreviousCharacter(text, s)) || !isWord(s);
        const bool endOk = s + m >= text.Length() || !isWord(s + m) || !isWord(PreviousCharacter(text, s + m));
        return startOk && endOk;
    };
    std::string block;
    for (std::size_t start = first; start < last && last - start >= m; start += kBlock) {
        const std::size_t from = (start & ~std::size_t{1}) - std::min<std::size_t>(start & ~std::size_t{1}, 2);
        const std::size_t to = std::min(last, start + kBlock + m - 1);
        block = text.Range(from, to);
        if (!options.matchCase) FoldUtf16(block, bigEndian);
        const auto* bytes = reinterpret_cast<const unsigned char*>(block.data()) + (start - from);
        const std::size_t found = searcher.Find(bytes, block.size() - (start - from),
                                                [&](std::size_t offset) { return accept(start + offset); });
        if (found != Searcher::kNone) return start + found;
    }
    return TextModel::kNoPosition;
}

}  // namespace

const ViewLetters& LettersOfView(int codePageIndex) {
    static const ViewLetters ansi = BuildLetters(charts::kWindows1251);
    static const ViewLetters oem = BuildLetters(charts::kCp866);
    static const ViewLetters koi8 = BuildLetters(charts::kKoi8R);
    static const ViewLetters utf8 = BuildUtf8Letters();
    switch (codePageIndex) {
    case 1: return oem;
    case 2: return koi8;
    case 3: return utf8;
    default: return ansi;
    }
}

std::size_t FindWordBreak(const TextModel& text, std::size_t position, WordMove move, const ViewLetters& letters) {
    std::size_t length = text.Length();
    std::size_t p = std::min(position, length);
    if (move == WordMove::Right) {
        if (p >= length) return length;
        WordClass current = ClassAt(text, p, letters);
        if (current == WordClass::LineBreak) {
            p += (text.At(p) == '\r' && p + 1 < length && text.At(p + 1) == '\n') ? 2 : 1;
        } else if (current != WordClass::Blank) {
            while (p < length && ClassAt(text, p, letters) == current) ++p;
        }
        while (p < length && ClassAt(text, p, letters) == WordClass::Blank) ++p;
        return p;
    }
    while (p > 0 && ClassAt(text, p - 1, letters) == WordClass::Blank) --p;
    if (p == 0) return 0;
    WordClass current = ClassAt(text, p - 1, letters);
    if (current == WordClass::LineBreak) {
        return (text.At(p - 1) == '\n' && p >= 2 && text.At(p - 2) == '\r') ? p - 2 : p - 1;
    }
    while (p > 0 && ClassAt(text, p - 1, letters) == current) --p;
    return p;
}

std::size_t SearchText(const TextModel& text, std::string_view pattern, std::size_t first, std::size_t last,
                     SearchOptions options, const ViewLetters& letters) {
    const std::size_t none = TextModel::kNoPosition;
    std::size_t length = text.Length();
    last = std::min(last, length);
    std::size_t m = pattern.size();
    if (m == 0 || first >= last || last - first < m) return none;
    if (IsUtf16(text.Form())) return SearchUtf16(text, pattern, first, last, options);

    auto isWord = [&](std::size_t p) { return letters.classes[text.At(p)] == WordClass::Word; };
    auto acceptAt = [&](std::size_t start) {
        if (!options.wholeWord) return true;
        std::size_t end = start + m;
        bool startOk = start == 0 || !isWord(start - 1) || !isWord(start);
        bool endOk = end >= length || !isWord(end) || !isWord(end - 1);
        return startOk && endOk;
    };
    if (letters.utf8 && !options.matchCase) return SearchFoldedUtf8(text, pattern, first, last, acceptAt);

    Searcher searcher(pattern, options.matchCase ? IdentityFold() : letters.lower.data());

    // The text is one or two contiguous runs; a match may also straddle the seam between them.
    struct Run {
        const unsigned char* bytes;
        std::size_t count;
        std::size_t position;
    };
    Run runs[2];
    int runCount = 0;
    text.VisitRange(first, last, [&](const char* bytes, std::size_t count, std::size_t position) {
        runs[runCount++] = {reinterpret_cast<const unsigned char*>(bytes), count, position};
    });

    for (int r = 0; r < runCount; ++r) {
        const Run& run = runs[r];
        if (r == 1 && m > 1) {
            std::size_t seam = run.position;
            std::size_t from = std::max(first, seam - std::min(seam, m - 1));
            std::size_t to = std::min(last, seam + m - 1);
            std::string joined = text.Range(from, to);
            std::size_t found = searcher.Find(reinterpret_cast<const unsigned char*>(joined.data()), joined.size(),
                                              [&](std::size_t offset) { return acceptAt(from + offset); });
            if (found != Searcher::kNone) return from + found;
        }
        std::size_t found = searcher.Find(run.bytes, run.count,
                                          [&](std::size_t offset) { return acceptAt(run.position + offset); });
        if (found != Searcher::kNone) return run.position + found;
    }
    return none;
}
