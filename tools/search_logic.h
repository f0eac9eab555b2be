#pragma once
// Find and replace without the window: the hexadecimal pattern, the backward search built on the
// control's forward-only search, the search history in the settings, the code page conversions of
// the search texts, and one search step with its bookkeeping of SearchPosition. The dialogs and the
// editor control plug in through SearchTarget.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/line_ends.h"

// Search and replacement texts, the history values and the word taken from the caret are cut to
// this many characters (as the dialog's edits count them: a character beyond U+FFFF counts two).
inline constexpr std::size_t kSearchTextMax = 32;
// The reader's buffer for a history value: the longest text and its terminator.
inline constexpr std::size_t kSearchHistoryBuffer = kSearchTextMax + 1;
inline constexpr int kSearchHistorySize = 10;

// Hexadecimal text to bytes. The text is taken two characters at a time; each hexadecimal digit of
// a pair shifts the byte left by four bits and adds its value, any other character is skipped but
// still takes its place in the pair; a single character left at the end gives a byte of its own.
// At most 32 bytes. The result is the pattern searched for: a zero byte ends it.
// "4A4b" -> 4A 4B; "41 42" -> 41 04 02; "414" -> 41 04; "410042" -> 41.
std::string ParseHexPattern(std::string_view text);

// The start of the first match lying wholly within [lo, hi] (a match at s covers s .. s+L-1 and
// needs lo <= s and s + L <= hi), or -1.
using FirstMatchWithin = std::function<std::int32_t(std::int32_t lo, std::int32_t hi)>;

// The start of the last match lying wholly within [0, bound], found by bisection over the forward
// search, or -1. A match that reaches past bound (one holding the caret) is not taken.
std::int32_t FindLastMatchWithin(std::int32_t bound, std::int32_t patternLength, const FirstMatchWithin& firstMatch);

// The history values "0" (newest) to "9" that are not empty, newest first, in UTF-8. They are kept
// as Unicode texts, so a value stored as 1251 text before reads as the same characters.
std::vector<std::string> ReadSearchHistory();
// Puts a text (UTF-8, as typed) at "0": a text already in the list moves to the front, a new one
// pushes the oldest out.
void UpdateSearchHistory(std::string_view text);

// A text typed in the dialog (UTF-8) as the single-byte views take it: its 1251 bytes, '?' for a
// character 1251 lacks.
std::string TypedTextToAnsi(std::string_view typed);
// 1251 bytes as UTF-8, as the dialog shows them.
std::string AnsiToTypedText(std::string_view ansi);
// A search or replacement text typed in 1251 as bytes of the view code page (CodePageIndex 0-5).
std::string SearchTextToView(std::string_view ansiText, int codePageIndex);
// The bytes of the word at the caret, in the view code page, as the search field's text (UTF-8): cut
// to 32 characters, without spaces, tabs, line breaks or other control bytes; in the single-byte
// views the word's 1251 text. In the UTF-8 view the caller reads up to kCaretWordBytesMax bytes, as
// 32 characters may take that many.
inline constexpr std::size_t kCaretWordBytesMax = 4 * kSearchTextMax;
std::string CaretWordText(std::string_view viewBytes, int codePageIndex);

// The search state kept from one step to the next for as long as the program runs.
struct SearchState {
    std::string pattern;      // SearchPattern, in the view code page
    std::string replaceText;  // ReplaceText, in the view code page
    std::int32_t position = 0;  // SearchPosition; -1 after a step that found nothing
    bool replaceMode = false;
    bool replaceAll = false;
    bool wholeWord = false;
    bool matchCase = false;
    bool wholeText = false;
    bool backwards = false;
    bool promptReplace = true;
};

// What the find and replace dialog hands over when "ОК" or "Все" is pressed.
struct SearchDialogInput {
    bool hexInput = false;
    std::string searchText;   // the combo's edit field, or the hexadecimal search edit (UTF-8)
    std::string replaceText;  // the replacement edit, or the hexadecimal replacement edit (UTF-8)
    bool allButton = false;
    bool wholeWord = false;
    bool matchCase = false;
    bool wholeText = false;
    bool backwards = false;
    bool promptReplace = true;  // read only in replace mode
};

// Whether the dialog may close: there is something to search for.
bool SearchInputAcceptable(const SearchDialogInput& input);
// Takes the accepted input into the state: options, search and replacement bytes in the view code
// page (hexadecimal bytes as they are) and, for typed text, the history. The UTF-8 view searches the
// typed characters themselves; the single-byte views their 1251 text converted to the view.
void AcceptSearchInput(SearchState& state, const SearchDialogInput& input, int codePageIndex);

enum class ReplaceAnswer { Yes, No, All, Cancel };

// The editor control and the confirmation dialog as a search step needs them.
class SearchTarget {
public:
    virtual ~SearchTarget() = default;
    virtual std::int32_t SelectionStart() = 0;
    virtual std::int32_t TextLength() = 0;
    // The control's forward search for `pattern`: the first match lying wholly within [lo, hi].
    virtual std::int32_t FindFirst(std::int32_t lo, std::int32_t hi, std::string_view pattern, bool wholeWord,
                                   bool matchCase) = 0;
    virtual void Select(std::int32_t start, std::int32_t end) = 0;
    // An undoable replacement of the selection; false when the text could not take it (memory ran
    // out), which ends the run.
    virtual bool ReplaceSelection(std::string_view text) = 0;
    virtual ReplaceAnswer ConfirmReplace() = 0;
    // One undo entry that takes back a whole replace run.
    virtual void RecordSnapshot() = 0;
    // The document's line-end kind, which a line break of the replacement takes.
    virtual LineEndKind DocumentLineEnd() { return LineEndKind::CrLf; }
};

// The selected match replaced by the replacement text; forward, the next step starts behind it.
// A line break of the replacement, written as CR LF (the hexadecimal 0D0A), goes in as the
// document's own; a CR or LF alone is a byte like any other. False when it could not be replaced:
// the run then stops.
bool ReplaceSelection(SearchState& state, SearchTarget& target);
// One step: finds the next match (the previous one backwards), selects it and in replace mode
// replaces it as the options and the answers say. Reports whether a match was found.
bool FindNext(SearchState& state, SearchTarget& target);
// After the dialog was accepted: the first step, and every further one while replacing all.
void RunSearch(SearchState& state, SearchTarget& target);
// "Найти далее": reports true when nothing was found in find mode, and the dialog is to be opened.
bool FindNextCommand(SearchState& state, SearchTarget& target);
