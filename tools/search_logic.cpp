#include "tools/search_logic.h"

#include <algorithm>

#include "base/settings.h"
#include "control/utf16_characters.h"
#include "encoding/chart_text.h"
#include "encoding/code_page_tables.h"
#include "encoding/unicode_conversion.h"
#include "encoding/utf8_sequences.h"

namespace {

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string HistoryName(int index) { return std::string(1, static_cast<char>('0' + index)); }

// UTF-8 text cut to kSearchTextMax characters as an edit counts them (UTF-16 code units), never
// inside a character.
std::string CutToSearchTextMax(std::string_view text) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const Utf8Character c = ReadUtf8Character(text, i);
        const std::size_t width = c.WellFormed() && c.code >= 0x10000 ? 2 : 1;
        if (units + width > kSearchTextMax) break;
        units += width;
        i += c.length;
    }
    return std::string(text.substr(0, i));
}

// The history as the registry keeps it: UTF-16 code units, counted by the reader's buffer as before.
std::string ReadHistoryValue(int index) {
    const std::string stored = ReadSettingString(HistoryName(index), kSearchHistoryBuffer, TextForm::Utf16);
    std::u16string units(stored.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(stored[2 * i]) |
                                         static_cast<unsigned char>(stored[2 * i + 1]) << 8);
    return Utf8OfUtf16(units);
}

void WriteHistoryValue(int index, std::string_view text) {
    std::string stored;
    for (char16_t unit : Utf16OfUtf8(text)) {
        stored.push_back(static_cast<char>(unit & 0xFF));
        stored.push_back(static_cast<char>(unit >> 8));
    }
    WriteSettingString(HistoryName(index), stored, TextForm::Utf16);
}

// Each byte through the tables in turn; bytes below 0x80 pass every table unchanged.
std::string Through(std::string_view bytes, std::initializer_list<int> tables) {
    std::string out(bytes);
    for (char& c : out)
        for (int table : tables) c = static_cast<char>(MapHigh(table, static_cast<std::uint8_t>(c)));
    return out;
}

}  // namespace

std::string ParseHexPattern(std::string_view text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size() && bytes.size() < kSearchTextMax; i += 2) {
        unsigned value = 0;
        for (std::size_t j = i; j < i + 2 && j < text.size(); ++j) {
            int digit = HexDigitValue(text[j]);
            if (digit >= 0) value = (value << 4) + static_cast<unsigned>(digit);
        }
        bytes.push_back(static_cast<char>(value));
    }
    return bytes.substr(0, bytes.find('\0'));
}

std::int32_t FindLastMatchWithin(std::int32_t bound, std::int32_t patternLength, const FirstMatchWithin& firstMatch) {
    if (bound < 0 || patternLength <= 0) return -1;
    const std::int32_t length = patternLength;
    std::int32_t lo = 0;
    std::int32_t hi = bound;
    std::int32_t r = firstMatch(lo, hi);
    std::int32_t best = -1;
    while (r >= 0) {
        // Halve the range above the latest match for as long as a later one lies in the upper half.
        // The midpoint is taken without adding two offsets: their sum overflows on texts above 1 GB.
        do {
            best = r;
            lo = best + (hi - best) / 2;
            r = firstMatch(lo, hi);
        } while (r >= 0 && hi - lo > length);
        // Nothing starts at lo or above, so a later match starts below lo and ends by lo + L.
        if (hi - lo > length) hi = lo + length;
        r = firstMatch(best + 1, hi);
    }
    return best;
}

std::vector<std::string> ReadSearchHistory() {
    std::vector<std::string> texts;
    for (int d = 0; d < kSearchHistorySize; ++d) {
        std::string text = ReadHistoryValue(d);
        if (!text.empty()) texts.push_back(std::move(text));
    }
    return texts;
}

void UpdateSearchHistory(std::string_view typed) {
    std::string text = CutToSearchTextMax(typed);
    int n = 0;
    while (n < kSearchHistorySize) {
        std::string value = ReadHistoryValue(n);
        if (value.empty() || value == text) break;
        ++n;
    }
    if (n == kSearchHistorySize) n = kSearchHistorySize - 1;
    for (int k = n - 1; k >= 0; --k) WriteHistoryValue(k + 1, ReadHistoryValue(k));
    WriteHistoryValue(0, text);
}

std::string TypedTextToAnsi(std::string_view typed) { return AnsiFromUtf16(Utf16OfUtf8(typed)); }

std::string AnsiToTypedText(std::string_view ansi) { return Utf8OfUtf16(Utf16FromAnsi(ansi)); }

std::string SearchTextToView(std::string_view ansiText, int codePageIndex) {
    switch (codePageIndex) {
    case kOem866: return Through(ansiText, {kAnsiToOem});
    case kKoi8R: return Through(ansiText, {kAnsiToOem, kOemToKoi8});
    case kUtf8View: return ConvertText(ansiText, TextEncoding::Cp1251, TextEncoding::Utf8);
    case kUtf16LeView:
    case kUtf16BeView: return ViewOfUtf16(Utf16FromAnsi(ansiText), codePageIndex == kUtf16BeView);
    default: return std::string(ansiText);
    }
}

std::string CaretWordText(std::string_view viewBytes, int codePageIndex) {
    if (IsUtf16View(codePageIndex)) {
        // As in the UTF-8 view; a pair cut by the count is left out.
        std::u16string word;
        for (char16_t unit : Utf16OfView(viewBytes.substr(0, viewBytes.size() & ~std::size_t{1}), codePageIndex == kUtf16BeView))
            if (unit > 0x20) word += unit;
        if (viewBytes.size() >= 2 && !word.empty() && word.back() == u'\uFFFD') word.pop_back();
        return CutToSearchTextMax(Utf8OfUtf16(word));
    }
    if (codePageIndex == kUtf8View) {
        // The bytes were cut by count, so the last character may be cut too: it is left out rather
        // than offered as U+FFFD.
        std::string word;
        for (std::size_t i = 0; i < viewBytes.size();) {
            const Utf8Character c = ReadUtf8Character(viewBytes, i);
            if (c.cut) break;
            if (!c.WellFormed() || c.code > 0x20) word.append(viewBytes.substr(i, c.length));
            i += c.length;
        }
        return CutToSearchTextMax(Utf8OfUtf16(Utf16OfUtf8(word)));
    }
    std::string word;
    for (char c : viewBytes.substr(0, kSearchTextMax))
        if (static_cast<unsigned char>(c) > 0x20) word.push_back(c);
    switch (codePageIndex) {
    case kOem866: return AnsiToTypedText(Through(word, {kOemToAnsi}));
    case kKoi8R: return AnsiToTypedText(Through(word, {kKoi8ToOem, kOemToAnsi}));
    default: return AnsiToTypedText(word);
    }
}

bool SearchInputAcceptable(const SearchDialogInput& input) { return !input.searchText.empty(); }

void AcceptSearchInput(SearchState& state, const SearchDialogInput& input, int codePageIndex) {
    state.replaceAll = input.allButton;
    state.wholeWord = input.wholeWord;
    state.matchCase = input.matchCase;
    state.wholeText = input.wholeText;
    state.backwards = input.backwards;
    if (state.replaceMode) state.promptReplace = input.promptReplace;

    std::string search = CutToSearchTextMax(input.searchText);
    std::string replacement = CutToSearchTextMax(input.replaceText);
    // Hexadecimal text is read a character a place, whatever the view, as its 1251 text has it.
    if (input.hexInput) {
        state.pattern = ParseHexPattern(TypedTextToAnsi(search));
        if (state.replaceMode) state.replaceText = ParseHexPattern(TypedTextToAnsi(replacement));
        return;
    }
    if (IsUtf16View(codePageIndex)) {
        const bool bigEndian = codePageIndex == kUtf16BeView;
        state.pattern = ViewOfUtf16(Utf16OfUtf8(search), bigEndian);
        if (state.replaceMode) state.replaceText = ViewOfUtf16(Utf16OfUtf8(replacement), bigEndian);
    } else if (codePageIndex == kUtf8View) {
        state.pattern = search;
        if (state.replaceMode) state.replaceText = replacement;
    } else {
        // What the single-byte views search for is the 1251 text, and the history keeps it so.
        search = AnsiToTypedText(TypedTextToAnsi(search));
        state.pattern = SearchTextToView(TypedTextToAnsi(search), codePageIndex);
        if (state.replaceMode) state.replaceText = SearchTextToView(TypedTextToAnsi(replacement), codePageIndex);
    }
    UpdateSearchHistory(search);
}

namespace {

std::string ReplacementWithLineBreaks(std::string_view text, LineEndKind kind) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += LineBreakOf(kind);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool ReplaceSelection(SearchState& state, SearchTarget& target) {
    const LineEndKind lineEnd = target.DocumentLineEnd();
    const std::string replacement =
        lineEnd == LineEndKind::CrLf ? state.replaceText : ReplacementWithLineBreaks(state.replaceText, lineEnd);
    if (!target.ReplaceSelection(replacement)) {
        state.replaceAll = false;
        return false;
    }
    // Forward, the next step starts behind the inserted text, so a replacement that contains the
    // pattern is not found again; backwards it looks below the start of the replaced match.
    if (!state.backwards) state.position += static_cast<std::int32_t>(replacement.size());
    return true;
}

bool FindNext(SearchState& state, SearchTarget& target) {
    if (state.pattern.empty()) return false;
    const auto length = static_cast<std::int32_t>(state.pattern.size());
    auto find = [&](std::int32_t lo, std::int32_t hi) {
        return target.FindFirst(lo, hi, state.pattern, state.wholeWord, state.matchCase);
    };
    const std::int32_t selectionStart = target.SelectionStart();
    if (!state.backwards) {
        if (state.position < selectionStart && !state.wholeText) state.position = selectionStart;
        // After a step that found nothing the whole-text search begins again at the start.
        state.position = find(std::max<std::int32_t>(state.position, 0), target.TextLength());
    } else {
        std::int32_t bound = std::min(state.position, selectionStart);
        // After a step that found nothing the bound is -1, which the control reads as the end.
        if (bound < 0) bound = target.TextLength();
        state.position = FindLastMatchWithin(bound, length, find);
    }
    if (state.position < 0) return false;

    target.Select(state.position, state.position + length);
    if (!state.replaceMode) {
        if (!state.backwards) state.position += length;
        return true;
    }
    if (!state.promptReplace) return ReplaceSelection(state, target);
    switch (target.ConfirmReplace()) {
    case ReplaceAnswer::Yes:
        if (!ReplaceSelection(state, target)) return false;
        break;
    case ReplaceAnswer::No:
        if (!state.backwards) state.position += length;
        break;
    case ReplaceAnswer::All:
        state.promptReplace = false;
        state.replaceAll = true;
        if (!ReplaceSelection(state, target)) return false;
        break;
    case ReplaceAnswer::Cancel:
        state.replaceAll = false;
        break;
    }
    return true;
}

void RunSearch(SearchState& state, SearchTarget& target) {
    if (state.wholeText) state.position = state.backwards ? target.TextLength() : 0;
    else state.position = target.SelectionStart();
    if (state.replaceMode) target.RecordSnapshot();
    while (FindNext(state, target) && state.replaceMode && state.replaceAll) {
    }
}

bool FindNextCommand(SearchState& state, SearchTarget& target) {
    if (state.replaceMode) {
        target.RecordSnapshot();
        while (FindNext(state, target) && state.replaceAll) {
        }
        return false;
    }
    return !FindNext(state, target);
}
