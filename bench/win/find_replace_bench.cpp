// Find and replace on a big text through the program's own command "Найти далее" (the path F3 takes
// after the dialog was accepted): one forward step across 64 MB, the backward bisection across
// 64 MB, case folding in the KOI8-R view, and a replace-all of 10^5 matches with its one Undo.
// Prints figures; not a test.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/settings.h"
#include "bench/win/bench_text.h"
#include "base/win/program.h"
#include "document/win/editor_window.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "resources/resource.h"
#include "support/win/app_harness.h"
#include "support/win/editor_text.h"
#include "tools/win/find_replace.h"

namespace {

// Sets the search as the dialog would have left it: a 1251 pattern in the current view code page.
void Prepare(const std::string& ansiPattern, bool matchCase, bool backwards, bool replace = false,
             const std::string& ansiReplacement = {}) {
    Program().search = SearchState{};
    Program().search.pattern = SearchTextToView(ansiPattern, CodePageIndex);
    Program().search.replaceText = SearchTextToView(ansiReplacement, CodePageIndex);
    Program().search.matchCase = matchCase;
    Program().search.backwards = backwards;
    Program().search.replaceMode = replace;
    Program().search.replaceAll = replace;
    Program().search.promptReplace = false;
}

// One "Найти далее" from the caret; prints the time and where the match was selected.
bool TimeFindNext(const char* what, LONG caret, LONG expected) {
    Select(caret, caret);
    Program().search.position = caret;
    const double start = Seconds();
    Command(IDM_FIND_NEXT);
    const double took = Seconds() - start;
    const LONG found = Selected().first;
    const bool ok = found == expected;
    std::printf("  %-52s %7.0f ms  %s at %ld\n", what, took * 1000, ok ? "found" : "WRONG, selected", found);
    return ok;
}

}  // namespace

int main() {
    constexpr std::size_t kSize = 64u << 20;
    constexpr int kMatches = 100000;
    if (!StartTestApplication() || !EditorControl) {
        std::puts("the application did not start with its editor control");
        return 1;
    }
    MemorySettingsStore settings;
    InstallSettingsStore(&settings);
    if (Program().textLimit < kSize + kMatches * 8) Program().textLimit = kSize + kMatches * 8;
    bool ok = true;

    // A single word in capitals just before the end, and one at the very start for the backward search.
    const std::string word = "\xCC\xC5\xD2\xCA\xC0";  // "МЕТКА"
    std::string text = MakeRussianProse(kSize);
    const LONG last = static_cast<LONG>(kSize - 64);
    text.replace(static_cast<std::size_t>(last), word.size(), word);
    text.replace(0, word.size(), word);
    SetControlText(text);

    std::printf("find and replace, 64 MB of 1251 text with CR LF lines, under Wine\n");
    Prepare(word, true, false);
    ok = TimeFindNext("forward, match case, 64 MB to the one match", 1, last) && ok;
    Prepare("\xEC\xE5\xF2\xEA\xE0", false, false);  // "метка", folded to the capitals
    ok = TimeFindNext("forward, any case (Cyrillic folded), 64 MB", 1, last) && ok;
    Prepare("\xED\xE5\xF2", true, false);  // "нет": in no line
    Select(0, 0);
    Program().search.position = 0;
    {
        // Nothing found in find mode opens the dialog: answer it at once.
        Program().search.replaceMode = false;
        const double start = Seconds();
        const bool found = FindNext();
        std::printf("  %-52s %7.0f ms  %s\n", "forward, no match in the whole 64 MB (one step)", (Seconds() - start) * 1000,
                    found ? "WRONG, found" : "none, as expected");
        ok = !found && ok;
    }
    Prepare(word, true, true);
    // The caret on the last match: the only one wholly below it is at the very start.
    ok = TimeFindNext("backward by bisection, 64 MB down to the one match", last, 0) && ok;
    Prepare(word, true, true);
    ok = TimeFindNext("backward, the match nearest below the caret", static_cast<LONG>(kSize), last) && ok;

    SelectViewCodePage(IDM_VIEW_KOI8);
    {
        // The same text as KOI8-R bytes, so the word is a Cyrillic word of that view.
        std::string koi(text);
        for (char& c : koi) {
            const std::uint8_t oem = MapHigh(kAnsiToOem, static_cast<std::uint8_t>(c));
            c = static_cast<char>(oem >= 0x80 ? MapHigh(kOemToKoi8, oem) : oem);
        }
        SetControlText(koi);
    }
    Prepare("\xEC\xE5\xF2\xEA\xE0", false, false);
    ok = TimeFindNext("KOI8-R view, any case (Cyrillic folded), 64 MB", 1, last) && ok;
    SelectViewCodePage(IDM_VIEW_ANSI);

    // Replace-all of 10^5 matches spread over the 64 MB, each by a longer text.
    std::string many = MakeRussianProse(kSize);
    const std::size_t step = kSize / kMatches;
    for (int i = 0; i < kMatches; ++i) many.replace(static_cast<std::size_t>(i) * step, 3, "QZX");
    SetControlText(many);
    Select(0, 0);
    Prepare("QZX", true, false, true, "\xE7\xE0\xEC\xE5\xED\xE0");  // "замена"
    double start = Seconds();
    Command(IDM_FIND_NEXT);
    const double replaceAll = Seconds() - start;
    const std::string replaced = ControlText();
    std::size_t count = 0;
    for (std::size_t at = replaced.find("\xE7\xE0\xEC\xE5\xED\xE0"); at != std::string::npos;
         at = replaced.find("\xE7\xE0\xEC\xE5\xED\xE0", at + 1))
        ++count;
    const bool allReplaced = count == kMatches && replaced.find("QZX") == std::string::npos &&
                             replaced.size() == kSize + 3 * kMatches;
    std::printf("  %-52s %7.0f ms  %s (%zu replaced)\n", "replace all, 10^5 matches over 64 MB, no prompt",
                replaceAll * 1000, allReplaced ? "ok" : "WRONG", count);
    start = Seconds();
    Command(IDM_UNDO);
    const double undo = Seconds() - start;
    const bool undone = ControlText() == many;
    std::printf("  %-52s %7.0f ms  %s\n", "one Undo takes the whole run back", undo * 1000,
                undone ? "text as before" : "WRONG");
    ok = ok && allReplaced && undone;

    // The same count of matches in a small text: the cost per replacement without the big text.
    std::string small;
    for (int i = 0; i < kMatches; ++i) small += "QZX \xF2\xE5\xEA\xF1\xF2\r\n";
    SetControlText(small);
    Select(0, 0);
    Prepare("QZX", true, false, true, "\xE7\xE0\xEC\xE5\xED\xE0");
    start = Seconds();
    Command(IDM_FIND_NEXT);
    const double smallAll = Seconds() - start;
    const bool smallOk = ControlText().find("QZX") == std::string::npos;
    std::printf("  %-52s %7.0f ms  %s\n", "replace all, 10^5 matches in a 1 MB text, no prompt", smallAll * 1000,
                smallOk ? "ok" : "WRONG");
    ok = ok && smallOk;

    InstallSettingsStore(nullptr);
    CloseTestApplication();
    return ok ? 0 : 1;
}
