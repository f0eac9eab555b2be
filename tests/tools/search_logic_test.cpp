#include "tools/search_logic.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>

#include "base/settings.h"
#include "base/ui_text.h"
#include "encoding/code_page_tables.h"

namespace {

// The forward search of the control: first match lying wholly within [lo, hi] of `text`.
std::int32_t FirstWithin(const std::string& text, const std::string& pattern, std::int32_t lo, std::int32_t hi) {
    auto length = static_cast<std::int32_t>(text.size());
    auto l = static_cast<std::int32_t>(pattern.size());
    lo = std::max<std::int32_t>(lo, 0);
    if (hi < 0 || hi > length) hi = length;
    for (std::int32_t s = lo; s + l <= hi; ++s)
        if (text.compare(static_cast<std::size_t>(s), pattern.size(), pattern) == 0) return s;
    return -1;
}

std::int32_t BruteLastWithin(const std::string& text, const std::string& pattern, std::int32_t bound) {
    std::int32_t last = -1;
    for (std::int32_t s = 0; s + static_cast<std::int32_t>(pattern.size()) <= bound; ++s)
        if (text.compare(static_cast<std::size_t>(s), pattern.size(), pattern) == 0) last = s;
    return last;
}

std::int32_t Backward(const std::string& text, const std::string& pattern, std::int32_t bound, int* calls = nullptr) {
    return FindLastMatchWithin(bound, static_cast<std::int32_t>(pattern.size()), [&](std::int32_t lo, std::int32_t hi) {
        if (calls) ++*calls;
        return FirstWithin(text, pattern, lo, hi);
    });
}

}  // namespace

TEST(ParseHexPattern, TakesTwoCharactersPerByteAndEndsAtZero) {
    EXPECT_EQ(ParseHexPattern("4A4b"), "\x4A\x4B");
    EXPECT_EQ(ParseHexPattern("41 42"), std::string("\x41\x04\x02"));  // the space takes a place
    EXPECT_EQ(ParseHexPattern("414"), std::string("\x41\x04"));        // a last single digit is a byte
    EXPECT_EQ(ParseHexPattern("410042"), "A");                          // 00 ends the pattern
    EXPECT_EQ(ParseHexPattern("zz41"), "");                             // a pair of no digits is a zero
    EXPECT_EQ(ParseHexPattern("e0Ff"), "\xE0\xFF");
    EXPECT_EQ(ParseHexPattern(""), "");
    EXPECT_EQ(ParseHexPattern(std::string(80, '7')), std::string(32, '\x77'));
}

TEST(BackwardSearch, FindsTheMatchNearestBelowTheBoundAndSkipsOverlaps) {
    std::string text = "aaaa";
    EXPECT_EQ(Backward(text, "aa", 4), 2);
    EXPECT_EQ(Backward(text, "aa", 2), 0);  // the next step, below the match just found
    EXPECT_EQ(Backward(text, "aa", 1), -1);
    EXPECT_EQ(Backward("xxabcxx", "abc", 4), -1);  // the bound inside the only match
    EXPECT_EQ(Backward("xxabcxx", "abc", 5), 2);
    EXPECT_EQ(Backward("abcxxabc", "abc", 8), 5);  // a match ending at the end of the text
    EXPECT_EQ(Backward("abc", "abc", 3), 0);
    EXPECT_EQ(Backward("abc", "abc", -1), -1);
    EXPECT_EQ(Backward("abc", "", 3), -1);
}

TEST(BackwardSearch, EqualsTheLastMatchFoundByBruteForce) {
    std::mt19937 random(20240601);
    int found = 0, foundInside = 0;
    for (int round = 0; round < 20000; ++round) {
        int size = round % 50 == 0 ? static_cast<int>(random() % 3000) : static_cast<int>(random() % 60);
        int letters = 1 + static_cast<int>(random() % 3);
        std::string text;
        for (int i = 0; i < size; ++i) text += static_cast<char>('a' + random() % letters);
        std::string pattern;
        int length = 1 + static_cast<int>(random() % (round % 7 == 0 ? 20 : 5));
        if (size > 0 && random() % 3 == 0) {
            // A piece of the text, so that matches come often and overlap.
            int at = static_cast<int>(random() % size);
            pattern = text.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(length));
        } else {
            for (int i = 0; i < length; ++i) pattern += static_cast<char>('a' + random() % letters);
        }
        auto bound = static_cast<std::int32_t>(random() % (size + 1));
        if (round % 5 == 0) bound = size;
        int calls = 0;
        const std::int32_t expected = BruteLastWithin(text, pattern, bound);
        ASSERT_EQ(Backward(text, pattern, bound, &calls), expected)
            << "text " << text << " pattern " << pattern << " bound " << bound;
        if (expected >= 0) ++found;
        if (expected > 0 && expected + static_cast<std::int32_t>(pattern.size()) < bound) ++foundInside;
        // A bisection, not a walk over the matches.
        EXPECT_LE(calls, 4 * (32 - __builtin_clz(static_cast<unsigned>(size) + 1)) + 2 * static_cast<int>(pattern.size()) + 4);
    }
    // The cases reach both answers, and matches that lie inside the range rather than at its ends.
    EXPECT_GT(found, 2000);
    EXPECT_LT(found, 18000);
    EXPECT_GT(foundInside, 1000);
}

TEST(BackwardSearch, EveryShortTextAndBoundAgreesWithBruteForce) {
    for (int size = 0; size <= 9; ++size)
        for (int bits = 0; bits < (1 << size); ++bits) {
            std::string text;
            for (int i = 0; i < size; ++i) text += (bits >> i & 1) ? 'b' : 'a';
            for (std::string pattern : {"a", "b", "aa", "ab", "ba", "aba", "aab", "bbb"})
                for (std::int32_t bound = 0; bound <= size; ++bound)
                    ASSERT_EQ(Backward(text, pattern, bound), BruteLastWithin(text, pattern, bound))
                        << text << ' ' << pattern << ' ' << bound;
        }
}

TEST(BackwardSearch, OffsetsBeyondOneGigabyteDoNotOverflow) {
    // Matches at far offsets of a text too big to build: the midpoint of two such offsets must not be
    // taken by adding them.
    const std::vector<std::int32_t> matches = {100, 1'500'000'000, 2'000'000'000, 2'100'000'000};
    const std::int32_t length = 4;
    auto first = [&](std::int32_t lo, std::int32_t hi) -> std::int32_t {
        for (std::int32_t m : matches)
            if (m >= lo && static_cast<std::int64_t>(m) + length <= hi) return m;
        return -1;
    };
    EXPECT_EQ(FindLastMatchWithin(2'147'000'000, length, first), 2'100'000'000);
    EXPECT_EQ(FindLastMatchWithin(2'100'000'003, length, first), 2'000'000'000);
    EXPECT_EQ(FindLastMatchWithin(1'999'999'999, length, first), 1'500'000'000);
}

class SearchHistoryTest : public ::testing::Test {
protected:
    void SetUp() override { InstallSettingsStore(&store_); }
    void TearDown() override { InstallSettingsStore(nullptr); }
    std::string Value(int d) { return ReadSettingString(std::string(1, static_cast<char>('0' + d)), 33); }
    MemorySettingsStore store_;
};

TEST_F(SearchHistoryTest, NewTextsGoToTheFrontAndTheOldestDropsOut) {
    for (int i = 0; i < 12; ++i) UpdateSearchHistory("t" + std::to_string(i));
    EXPECT_EQ(Value(0), "t11");
    EXPECT_EQ(Value(9), "t2");
    EXPECT_FALSE(store_.Has("10"));
    std::vector<std::string> listed = ReadSearchHistory();
    ASSERT_EQ(listed.size(), 10u);
    EXPECT_EQ(listed.front(), "t11");
    EXPECT_EQ(listed.back(), "t2");
}

TEST_F(SearchHistoryTest, AKnownTextMovesToTheFrontWithoutADuplicate) {
    for (const char* text : {"e", "d", "c", "b", "a"}) UpdateSearchHistory(text);  // a b c d e
    UpdateSearchHistory("c");
    EXPECT_EQ(ReadSearchHistory(), (std::vector<std::string>{"c", "a", "b", "d", "e"}));
    UpdateSearchHistory("c");
    EXPECT_EQ(ReadSearchHistory(), (std::vector<std::string>{"c", "a", "b", "d", "e"}));
    UpdateSearchHistory("C");  // case-sensitive
    EXPECT_EQ(ReadSearchHistory(), (std::vector<std::string>{"C", "c", "a", "b", "d", "e"}));
}

TEST_F(SearchHistoryTest, LongTextsAreCutAndUnreadableValuesCountAsEmpty) {
    std::string longText(40, 'x');
    UpdateSearchHistory(longText);
    EXPECT_EQ(Value(0), std::string(32, 'x'));
    // Another program left a value too long for the 33-byte buffer: it reads as empty, so the shift
    // stops there and overwrites it.
    store_.Clear();
    WriteSettingString("0", "first");
    WriteSettingString("1", std::string(33, 'y'));
    WriteSettingString("2", "third");
    UpdateSearchHistory("new");
    EXPECT_EQ(ReadSearchHistory(), (std::vector<std::string>{"new", "first", "third"}));
    UpdateSearchHistory("Поиск");
    EXPECT_EQ(Value(0), "Поиск"_ui);
}

TEST_F(SearchHistoryTest, TextsAreKeptAsUnicodeAndOldValuesReadTheSame) {
    // A value stored as 1251 text before reads as the same characters.
    WriteSettingString("0", "Поиск"_ui);
    EXPECT_EQ(ReadSearchHistory(), (std::vector<std::string>{"Поиск"}));
    // Characters 1251 lacks are kept; a 1251 reader sees them as '?'.
    UpdateSearchHistory("Ω→😀");
    EXPECT_EQ(ReadSearchHistory(), (std::vector<std::string>{"Ω→😀", "Поиск"}));
    EXPECT_EQ(Value(0), "????");  // one for each half of 😀's pair
    // 32 characters as the edit counts them, a character beyond U+FFFF two, never cut in half.
    std::string emoji;
    for (int i = 0; i < 20; ++i) emoji += "😀";
    UpdateSearchHistory("a" + emoji);
    std::string kept = "a";
    for (int i = 0; i < 15; ++i) kept += "😀";
    EXPECT_EQ(ReadSearchHistory().front(), kept);
}

TEST(SearchTextConversion, TypedTextGoesIntoTheViewAndTheCaretWordComesBack) {
    const std::string ansi = "\xCF\xF0\xE8\xE2\xE5\xF2 Ok";  // "Привет Ok" in 1251
    const std::string oem = "\x8F\xE0\xA8\xA2\xA5\xE2 Ok";
    const std::string koi8 = "\xF0\xD2\xC9\xD7\xC5\xD4 Ok";
    EXPECT_EQ(SearchTextToView(ansi, 0), ansi);
    EXPECT_EQ(SearchTextToView(ansi, 1), oem);
    EXPECT_EQ(SearchTextToView(ansi, 2), koi8);
    // Spaces and control bytes go wherever they stand; the rest comes back as its 1251 characters.
    EXPECT_EQ(CaretWordText(oem, 1), "ПриветOk");
    EXPECT_EQ(CaretWordText(koi8, 2), "ПриветOk");
    EXPECT_EQ(CaretWordText("\tab\r\nc\x01", 0), "abc");
    EXPECT_EQ(CaretWordText("\xB8\xA8", 0), "ёЁ");  // above 0x20 as unsigned bytes
    // Signs go through the shared tables: « becomes '<' in the OEM view, a box line '-' on the way back.
    EXPECT_EQ(SearchTextToView("\xAB", 1), "<");
    EXPECT_EQ(SearchTextToView("\xAB", 2), "<");
    EXPECT_EQ(CaretWordText("\xC4", 1), "-");
    // The word is cut to 32 characters before the spaces are dropped.
    EXPECT_EQ(CaretWordText(std::string(31, 'a') + " bc", 0), std::string(31, 'a'));

    // The UTF-8 view: typed 1251 text is searched as UTF-8, and a word comes back by characters,
    // 32 of them whatever their bytes, without a character that the end of the bytes cut.
    const std::string utf8 = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 Ok";
    EXPECT_EQ(SearchTextToView(ansi, kUtf8View), utf8);
    EXPECT_EQ(CaretWordText(utf8, kUtf8View), "ПриветOk");
    std::string long_word, kept;
    for (int i = 0; i < 40; ++i) long_word += "я";
    for (int i = 0; i < 32; ++i) kept += "я";
    EXPECT_EQ(CaretWordText(long_word, kUtf8View), kept);
    EXPECT_EQ(CaretWordText("\xD1\x8F\xD1", kUtf8View), "я");
    // Characters 1251 lacks stay themselves; a stray byte is no character.
    EXPECT_EQ(CaretWordText("\xE2\x88\x9E\x80", kUtf8View), "∞\xEF\xBF\xBD");
}

namespace {

// The editor control over a plain string, with the replies to the confirmation queued by the test.
class FakeTarget : public SearchTarget {
public:
    explicit FakeTarget(std::string text) : text(std::move(text)) {}
    std::int32_t SelectionStart() override { return selStart; }
    std::int32_t TextLength() override { return static_cast<std::int32_t>(text.size()); }
    std::int32_t FindFirst(std::int32_t lo, std::int32_t hi, std::string_view pattern, bool, bool) override {
        return FirstWithin(text, std::string(pattern), lo, hi);
    }
    void Select(std::int32_t start, std::int32_t end) override {
        selStart = start;
        selEnd = end;
    }
    bool ReplaceSelection(std::string_view replacement) override {
        if (replacementsBeforeFailure == 0) return false;
        --replacementsBeforeFailure;
        text.replace(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selEnd - selStart), replacement);
        selStart = selEnd = selStart + static_cast<std::int32_t>(replacement.size());
        return true;
    }
    ReplaceAnswer ConfirmReplace() override {
        ++questions;
        ReplaceAnswer answer = answers.empty() ? ReplaceAnswer::Cancel : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void RecordSnapshot() override { ++snapshots; }
    LineEndKind DocumentLineEnd() override { return FirstLineEnd(text); }

    std::string text;
    std::int32_t selStart = 0, selEnd = 0;
    std::deque<ReplaceAnswer> answers;
    int questions = 0, snapshots = 0;
    int replacementsBeforeFailure = -1;  // the text takes this many replacements, then no more
};

SearchState Find(std::string pattern) {
    SearchState state;
    state.pattern = std::move(pattern);
    return state;
}

SearchState Replace(std::string pattern, std::string replacement) {
    SearchState state = Find(std::move(pattern));
    state.replaceMode = true;
    state.replaceAll = true;
    state.promptReplace = false;
    state.replaceText = std::move(replacement);
    return state;
}

}  // namespace

TEST(FindNext, ForwardStepsFromMatchToMatchAndReportsTheEnd) {
    FakeTarget target("one two one two");
    SearchState state = Find("two");
    target.selStart = 2;
    RunSearch(state, target);
    EXPECT_EQ(target.selStart, 4);
    EXPECT_EQ(target.selEnd, 7);
    EXPECT_FALSE(FindNextCommand(state, target));
    EXPECT_EQ(target.selStart, 12);
    EXPECT_TRUE(FindNextCommand(state, target));  // nothing left: the dialog opens
    EXPECT_EQ(state.position, -1);
    EXPECT_EQ(target.selStart, 12);  // the selection stays
    // With the whole text the first step starts at the beginning wherever the caret stands, and a
    // step after one that found nothing starts there again.
    state.wholeText = true;
    RunSearch(state, target);
    EXPECT_EQ(target.selStart, 4);
    state.position = -1;
    EXPECT_TRUE(FindNext(state, target));
    EXPECT_EQ(target.selStart, 4);
    SearchState empty = Find("");
    EXPECT_FALSE(FindNext(empty, target));
}

TEST(ReplaceAll, ALineBreakOfTheReplacementIsTheDocumentsOwnAndALoneCrOrLfABytes) {
    FakeTarget lf("a;b;c\nd");
    SearchState state = Replace(";", "\r\n");
    RunSearch(state, lf);
    EXPECT_EQ(lf.text, "a\nb\nc\nd");
    FakeTarget crLf("a;b\r\n");
    state = Replace(";", "\r\n");
    RunSearch(state, crLf);
    EXPECT_EQ(crLf.text, "a\r\nb\r\n");
    FakeTarget bytes("a;b\nc");
    state = Replace(";", "\r");
    RunSearch(state, bytes);
    EXPECT_EQ(bytes.text, "a\rb\nc");
}

TEST(FindNext, BackwardFindsOnlyMatchesWhollyBeforeTheCaret) {
    FakeTarget target("aaaa");
    SearchState state = Find("aa");
    state.backwards = true;
    state.wholeText = true;
    target.selStart = target.selEnd = 3;  // the whole text is bounded by the selection start
    RunSearch(state, target);
    EXPECT_EQ(target.selStart, 1);
    EXPECT_FALSE(FindNext(state, target));  // the match at 0 overlaps the one found
    EXPECT_EQ(target.selStart, 1);
    target.selStart = target.selEnd = 4;
    RunSearch(state, target);
    EXPECT_EQ(target.selStart, 2);
    EXPECT_TRUE(FindNext(state, target));
    EXPECT_EQ(target.selStart, 0);
    EXPECT_FALSE(FindNext(state, target));
    target.selStart = target.selEnd = 0;
    RunSearch(state, target);
    EXPECT_EQ(state.position, -1);
}

TEST(FindNext, ReplaceAllForwardDoesNotFindItsOwnReplacement) {
    FakeTarget target("a-b-a");
    SearchState state = Replace("a", "aa");
    RunSearch(state, target);
    EXPECT_EQ(target.text, "aa-b-aa");
    EXPECT_EQ(target.snapshots, 1);
    FakeTarget back("a-b-a");
    state = Replace("a", "aa");
    state.backwards = true;
    state.wholeText = true;
    back.selStart = back.selEnd = 5;
    RunSearch(state, back);
    EXPECT_EQ(back.text, "aa-b-aa");
    FakeTarget removed("xaaay");
    state = Replace("a", "");
    RunSearch(state, removed);
    EXPECT_EQ(removed.text, "xy");
    // A replacement the text cannot take ends the run there, without another search; a prompted
    // "Yes" that fails ends it as well.
    FakeTarget full("a-a-a-a");
    full.replacementsBeforeFailure = 2;
    state = Replace("a", "b");
    RunSearch(state, full);
    EXPECT_EQ(full.text, "b-b-a-a");
    EXPECT_FALSE(state.replaceAll);
    FakeTarget asked("a-a");
    asked.replacementsBeforeFailure = 0;
    asked.answers = {ReplaceAnswer::Yes, ReplaceAnswer::Yes};
    state = Replace("a", "b");
    state.promptReplace = true;
    RunSearch(state, asked);
    EXPECT_EQ(asked.questions, 1);
    EXPECT_FALSE(FindNextCommand(state, asked));
    EXPECT_EQ(asked.text, "a-a");
}

TEST(FindNext, ConfirmationAnswersDecideEachMatch) {
    FakeTarget target("a a a a a");
    SearchState state = Replace("a", "b");
    state.promptReplace = true;
    target.answers = {ReplaceAnswer::Yes, ReplaceAnswer::No, ReplaceAnswer::All};
    RunSearch(state, target);
    EXPECT_EQ(target.text, "b a b b b");
    EXPECT_EQ(target.questions, 3);
    EXPECT_FALSE(state.promptReplace);  // "Все" leaves it off for the next opening
    FakeTarget stopped("a a a");
    state = Replace("a", "b");
    state.promptReplace = true;
    stopped.answers = {ReplaceAnswer::Yes, ReplaceAnswer::Cancel};
    RunSearch(state, stopped);
    EXPECT_EQ(stopped.text, "b a a");
    EXPECT_FALSE(state.replaceAll);
    // "ОК" in Replace handles one match only.
    FakeTarget once("a a");
    state = Replace("a", "b");
    state.replaceAll = false;
    RunSearch(state, once);
    EXPECT_EQ(once.text, "b a");
    EXPECT_FALSE(FindNextCommand(state, once));  // F3 in replace mode: the next one
    EXPECT_EQ(once.text, "b b");
    EXPECT_EQ(once.snapshots, 2);
}

TEST(AcceptSearchInput, TypedTextIsConvertedAndKeptHexIsTakenAsItIs) {
    MemorySettingsStore store;
    InstallSettingsStore(&store);
    SearchState state;
    state.replaceMode = true;
    SearchDialogInput input;
    input.searchText = "рус" + std::string(40, '!');  // too long
    input.replaceText = "к";
    input.allButton = true;
    input.promptReplace = false;
    input.backwards = true;
    ASSERT_TRUE(SearchInputAcceptable(input));
    AcceptSearchInput(state, input, 2);
    EXPECT_EQ(state.pattern, "\xD2\xD5\xD3" + std::string(29, '!'));
    EXPECT_EQ(state.replaceText, "\xCB");
    EXPECT_TRUE(state.replaceAll && state.backwards);
    EXPECT_FALSE(state.promptReplace);
    EXPECT_EQ(ReadSettingString("0", 33), "рус"_ui + std::string(29, '!'));

    SearchDialogInput hex;
    hex.hexInput = true;
    hex.searchText = "FF00";
    hex.replaceText = "";
    AcceptSearchInput(state, hex, 1);
    EXPECT_EQ(state.pattern, "\xFF");
    EXPECT_EQ(state.replaceText, "");
    EXPECT_TRUE(state.promptReplace);
    EXPECT_EQ(ReadSearchHistory().size(), 1u);  // hexadecimal input is not kept
    EXPECT_FALSE(SearchInputAcceptable(SearchDialogInput{}));

    // The UTF-8 view searches and keeps the characters typed; a single-byte view their 1251 text.
    input.searchText = "Ωμέγα";
    input.replaceText = "→";
    AcceptSearchInput(state, input, kUtf8View);
    EXPECT_EQ(state.pattern, "Ωμέγα");
    EXPECT_EQ(state.replaceText, "→");
    EXPECT_EQ(ReadSearchHistory().front(), "Ωμέγα");
    AcceptSearchInput(state, input, 0);
    EXPECT_EQ(state.pattern, "?????");
    EXPECT_EQ(state.replaceText, "?");
    EXPECT_EQ(ReadSearchHistory().front(), "?????");
    InstallSettingsStore(nullptr);
}
