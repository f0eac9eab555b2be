#include "encoding/mojibake_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_references.h"
#include "encoding/mojibake_shape.h"
#include "encoding/numbered_text.h"
#include "encoding/repair_choice.h"
#include "encoding/russian_judgement.h"
#include "encoding/unicode_kernels.h"

namespace {

constexpr RepairEncoding kUtf8 = RepairEncoding::Utf8;
constexpr RepairEncoding k1251 = RepairEncoding::Cp1251;
constexpr RepairEncoding k866 = RepairEncoding::Cp866;
constexpr RepairEncoding kKoi8 = RepairEncoding::Koi8R;
constexpr RepairEncoding kMac = RepairEncoding::MacCyrillic;
constexpr RepairEncoding kWestern = RepairEncoding::Western;

MisreadingChain Chain(Misreading first) {
    MisreadingChain chain;
    chain.length = 1;
    chain.steps[0] = first;
    chain.now = first.savedAs;
    return chain;
}

MisreadingChain Chain(Misreading first, Misreading second) {
    MisreadingChain chain = Chain(first);
    chain.length = 2;
    chain.steps[1] = second;
    chain.now = second.savedAs;
    return chain;
}

// The original in UTF-8, damaged by `chain`, found and undone back to UTF-8.
struct Outcome {
    RepairFinding finding;
    std::string repaired;
};

Outcome RepairOf(const std::string& original, const MisreadingChain& chain) {
    const std::string written = UndoMisreadings(original, MisreadingChain{0, {}, kUtf8}, chain.Original());
    const std::string damaged = DoMisreadings(written, chain);
    Outcome outcome;
    outcome.finding = FindMisreadings(damaged, true);
    if (outcome.finding.kind == RepairFinding::Kind::Repair)
        outcome.repaired = UndoMisreadings(damaged, outcome.finding.chain, kUtf8);
    return outcome;
}

TEST(MojibakeRepair, UndoesEachCommonChainOfAFewWords) {
    const std::string sentences[] = {
        "Привет, как дела? Всё хорошо, спасибо.",
        "Съешь же ещё этих мягких французских булок, да выпей чаю.",
        "Файл не найден: проверьте имя и повторите попытку.",
        // Two capitals, which 1251 read as Mac Cyrillic makes a dash and a quotation mark.
        "Спросите женщин, каких мужчин они предпочитают. Услышите много интересного.",
        // Which it makes letters of other Cyrillic alphabets ("Ќикто", "ѕлиний ћладший", "Ѕ.‘.јндреев")
        // and signs that begin a word ("≈сть").
        "Никто не знает, что будет потом, и никто не скажет.\n\t-- Плиний Младший",
        "Лев открыл пасть, укротитель засунул в нее голову.\n\t-- Б.Ф.Андреев",
        "Есть люди, которые не могут жить без шума и суеты.",
        // A few capitals, read as letters of other alphabets or signs ("Ћысина", "ѕодлецы", "¬.√.Ѕелинский"):
        // what the undoing mends of the text's shape counts beside how it reads.
        "Лысина умного человека утешает иного маленького человека с плешью.\n\t\t-- В. Шварц",
        "Подлецы потому и успевают в делах, что поступают с честными людьми, как с подлецами.\n\t\t-- В.Г.Белинский",
        // A unit's capital inside a word, and a word of one letter or none but an abbreviation.
        "Размер\tКиБ\tкибибайт, 2^10 = 1024 байт, в 1 тыс. раз больше; 1 млн.",
    };
    const MisreadingChain chains[] = {
        Chain({kUtf8, k1251, kUtf8}),   Chain({kUtf8, kWestern, kUtf8}), Chain({kKoi8, k1251, kUtf8}),
        Chain({k866, k1251, kUtf8}),    Chain({k1251, k866, kUtf8}),     Chain({k1251, kKoi8, kUtf8}),
        Chain({kMac, k866, kUtf8}),     Chain({k1251, kMac, kUtf8}),     Chain({k1251, kWestern, kUtf8}),
        // UTF-8 shown by a DOS console and saved in KOI8-R, which has all its box drawing.
        Chain({kUtf8, k866, kKoi8}),
    };
    for (const MisreadingChain& chain : chains) {
        for (const std::string& sentence : sentences) {
            const Outcome outcome = RepairOf(sentence, chain);
            EXPECT_EQ(outcome.finding.kind, RepairFinding::Kind::Repair) << DescribeChain(chain) << ": " << sentence;
            EXPECT_EQ(outcome.repaired, sentence) << DescribeChain(chain) << " taken for "
                                                  << DescribeChain(outcome.finding.chain);
        }
    }
    // Read as 1252, "языки" could also be two readings' "Изыки", which reads no better for them.
    const std::string line = "ISO 8859-4\tскандинавские/балтийские языки (Latin-4)";
    EXPECT_EQ(RepairOf(line, Chain({k1251, kWestern, kUtf8})).repaired, line);
    // Small letters only, which 1251 and Mac Cyrillic write alike but for я (Mac Cyrillic's byte for
    // it is 1251's Я, and 1251's is Mac Cyrillic's €): 1251 is taken where the Mac Cyrillic reading
    // has the sign for its letter, and a text in Mac Cyrillic is not taken for 1251 with a capital Я.
    const std::string small = "мужчин, которых нынче я бы не пригласила к себе на обед.";
    for (const MisreadingChain& chain : {Chain({k1251, k866, kUtf8}), Chain({k1251, kKoi8, kUtf8}), Chain({k1251, kWestern, kUtf8})})
        EXPECT_EQ(RepairOf(small, chain).repaired, small) << DescribeChain(chain);
    EXPECT_NE(RepairOf(small, Chain({kMac, k866, kUtf8})).finding.kind, RepairFinding::Kind::Repair);
    // 1251 shown by a Mac and saved as 1251 again, and the other way round: detection names the code
    // page of the reading, whose small letters these are, but the text is in the other.
    const std::string resaved = "Поцелуй - огонь любви. Я не смотрю фильмы ужасов, для этого у меня есть окно. "
                                "Юмор жизни в том, что можно умереть от смеха.";
    for (const MisreadingChain& chain : {Chain({k1251, kMac, k1251}), Chain({kMac, k1251, kMac})}) {
        const Outcome outcome = RepairOf(resaved, chain);
        EXPECT_EQ(outcome.finding.kind, RepairFinding::Kind::Repair) << DescribeChain(chain);
        EXPECT_EQ(DescribeChain(outcome.finding.chain), DescribeChain(chain));
    }
    // A line of a code table in capitals, which 866 read as ISO 8859-5 makes controls of: read as
    // UTF-16 its digits and controls are CJK, yet the Russian undoing goes first.
    const std::string table = "362\t242\tF2\tР\tКИРИЛЛИЧЕСКАЯ ПРОПИСНАЯ БУКВА Р";
    EXPECT_EQ(RepairOf(table, Chain({k866, RepairEncoding::Iso8859_5, kUtf8})).repaired, table);
}

TEST(MojibakeRepair, UndoesTwoRoundTripsAndKeepsLostCharactersAsQuestionMarks) {
    const std::string text = "Съешь же ещё этих мягких французских булок, да выпей чаю.";
    // Twice through 1251, then through Latin-1 after 1251: "Р В Р’..." and "Ãâ€˜...".
    for (const MisreadingChain& chain : {Chain({kUtf8, k1251, kUtf8}, {kUtf8, k1251, kUtf8}),
                                         Chain({kUtf8, k1251, kUtf8}, {kUtf8, kWestern, kUtf8}),
                                         Chain({kKoi8, k1251, kUtf8}, {kUtf8, k1251, kUtf8})}) {
        const Outcome outcome = RepairOf(text, chain);
        EXPECT_EQ(outcome.finding.kind, RepairFinding::Kind::Repair) << DescribeChain(chain);
        EXPECT_EQ(outcome.repaired, text) << DescribeChain(chain) << " taken for " << DescribeChain(outcome.finding.chain);
    }
    // A reader that knew no character for 1251's unassigned byte 0x98 (the second byte of И) put '?'
    // in its place: the И are lost, the rest comes back.
    const std::string words = "Ёлки-палки, Иван Иванович! Это что ещё за шутки? Немедленно прекратите.";
    std::string damaged = DoMisreadings(words, Chain({kUtf8, k1251, kUtf8}));
    std::uint64_t lostOnTheWay = 0;
    for (std::size_t at; (at = damaged.find("\xC2\x98")) != std::string::npos; ++lostOnTheWay)
        damaged.replace(at, 2, "?");
    ASSERT_EQ(lostOnTheWay, 2u);
    const RepairFinding finding = FindMisreadings(damaged, true);
    ASSERT_EQ(finding.kind, RepairFinding::Kind::Repair) << DescribeChain(finding.chain);
    std::uint64_t lost = 0;
    const std::string repaired = UndoMisreadings(damaged, finding.chain, kUtf8, &lost);
    EXPECT_EQ(lost, lostOnTheWay);
    EXPECT_EQ(repaired, "Ёлки-палки, ?ван ?ванович! Это что ещё за шутки? Немедленно прекратите.");
    // 866 read as 1251 and saved as 866 again: 866 lacks what 1251 reads most of its letters а-п and
    // its capitals as, so half the letters are '?'. The rest comes back, though other undoings, which
    // make signs of most of those, score better by having fewer pairs to pay for.
    const std::string proverbs = "Не имей сто рублей, а имей сто друзей. Тише едешь, дальше будешь. "
                                 "Без труда не вытащишь и рыбку из пруда. Семь раз отмерь, один раз отрежь.";
    const MisreadingChain resaved = Chain({k866, k1251, k866});
    std::uint64_t lostSaving = 0;
    const std::string halfLost = DoMisreadings(UndoMisreadings(proverbs, MisreadingChain{0, {}, kUtf8}, k866), resaved, &lostSaving);
    EXPECT_GT(lostSaving, 40u);
    const RepairFinding halfFound = FindMisreadings(halfLost, true);
    EXPECT_EQ(halfFound.kind, RepairFinding::Kind::Repair);
    EXPECT_EQ(DescribeChain(halfFound.chain), DescribeChain(resaved));
    // 1251 read as 866 and saved as 1251 (the capitals lost), then read as KOI8-R: the first layer
    // undone reads no better as Russian than the damage, only calmer ("?? эх уюЁ?щ" for "ЩУ СЧ╗?Ы").
    const MisreadingChain twoLossy = Chain({k1251, k866, k1251}, {k1251, kKoi8, kUtf8});
    const std::string lossyTwice = DoMisreadings(UndoMisreadings(proverbs, MisreadingChain{0, {}, kUtf8}, k1251), twoLossy);
    const RepairFinding twiceFound = FindMisreadings(lossyTwice, true);
    EXPECT_EQ(twiceFound.kind, RepairFinding::Kind::Repair);
    EXPECT_EQ(DescribeChain(twiceFound.chain), DescribeChain(twoLossy));
}

TEST(MojibakeRepair, UndoesALongTextAlikeOnEveryVectorPath) {
    // Longer than a block of the undoing, with a stretch of more than a block without an ASCII byte
    // to cut at, and every character of 1251 and 1252 (the C1 controls in place of unassigned bytes).
    std::string text;
    for (int i = 0; text.size() < 150 * 1024; ++i)
        text += "Съешь же ещё этих мягких французских булок, да выпей чаю. «Ёлки» — №" + std::to_string(i) + "\n";
    for (int i = 0; i < 40 * 1024; ++i) text += "Жъ";
    text += "\n";
    for (RepairEncoding e : {k1251, kWestern}) text += UndoMisreadings(
        [] { std::string bytes; for (int b = 0x80; b < 0x100; ++b) bytes += static_cast<char>(b); return bytes; }(),
        MisreadingChain{0, {}, e}, kUtf8);
    const MisreadingChain chains[] = {
        Chain({kUtf8, k1251, kUtf8}), Chain({kUtf8, kWestern, kUtf8}), Chain({kUtf8, kMac, kUtf8}),
        Chain({kKoi8, k1251, kUtf8}), Chain({k1251, kKoi8, k1251}),    Chain({kUtf8, k1251, kUtf8}, {kUtf8, kWestern, kUtf8}),
        Chain({kUtf8, k1251, k866}), Chain({k1251, k866, kUtf8}),
    };
    for (const MisreadingChain& chain : chains) {
        const std::string written = UndoMisreadings(text, MisreadingChain{0, {}, kUtf8}, chain.Original());
        std::uint64_t lostByDamage = 0;
        const std::string damaged = DoMisreadings(written, chain, &lostByDamage);
        std::string scalar;
        std::uint64_t scalarLost = 0;
        for (VectorPath path : AvailableVectorPaths()) {
            ForcedVectorPath::path = path;
            std::uint64_t lost = 0;
            const std::string undone = UndoMisreadings(damaged, chain, kUtf8, &lost);
            if (path == VectorPath::None) scalar = undone, scalarLost = lost;
            EXPECT_EQ(undone, scalar) << DescribeChain(chain) << ", path " << static_cast<int>(path);
            EXPECT_EQ(lost, scalarLost) << DescribeChain(chain) << ", path " << static_cast<int>(path);
            if (!lostByDamage) EXPECT_EQ(undone, UndoMisreadings(written, MisreadingChain{0, {}, chain.Original()}, kUtf8));
        }
        ForcedVectorPath::path.reset();
        // Handed in a block at a time, as a file streams through, what a block leaves waits for the next.
        MisreadingUndoing undoing(chain, kUtf8);
        std::string pending, streamed;
        for (std::size_t at = 0; at < damaged.size(); at += 4093) {
            pending += damaged.substr(at, 4093);
            pending.erase(0, undoing.Append(pending, at + 4093 >= damaged.size(), streamed));
        }
        EXPECT_TRUE(pending.empty());
        EXPECT_EQ(streamed, scalar) << DescribeChain(chain);
        EXPECT_EQ(undoing.Lost(), scalarLost) << DescribeChain(chain);
    }
}

TEST(MojibakeRepair, LeavesCorrectAndForeignTextsAlone) {
    const std::string sentences[] = {
        "Я помню чудное мгновенье: передо мной явилась ты.",
        "ВНИМАНИЕ! Не выключайте компьютер, идёт обновление системы.",
        "Файл «отчёт.txt» сохранён — 12 КБ, №5.",
        "ok",
    };
    for (const std::string& sentence : sentences) {
        for (RepairEncoding e : {kUtf8, k1251, k866, kKoi8, RepairEncoding::Iso8859_5, kMac}) {
            const std::string written = UndoMisreadings(sentence, MisreadingChain{0, {}, kUtf8}, e);
            const RepairFinding finding = FindMisreadings(written, true);
            EXPECT_EQ(finding.kind, RepairFinding::Kind::Clean)
                << RepairEncodingName(e) << ": " << sentence << " taken for " << DescribeChain(finding.chain);
        }
    }
    // German in Latin-1 and in UTF-8 is no Russian text damaged.
    for (const std::string german : {std::string("Gr\xFC\xDF" "e aus K\xF6ln! Sch\xF6ne Gr\xFC\xDF" "e an die M\xFCllers."),
                                     std::string("Grüße aus Köln! Schöne Grüße an die Müllers.")})
        EXPECT_NE(FindMisreadings(german, true).kind, RepairFinding::Kind::Repair) << german;
}

TEST(MojibakeRepair, TheViewsReadingIsAStepOfItsOwn) {
    // KOI8-R bytes shown in a 1251 view read "оПХБЕР": as a file they are a correct KOI8-R text.
    const std::string koi8 = UndoMisreadings("Привет, мир! Как поживаете?", MisreadingChain{0, {}, kUtf8}, kKoi8);
    EXPECT_EQ(FindMisreadings(koi8, true).kind, RepairFinding::Kind::Clean);
    const RepairFinding finding = FindMisreadings(koi8, true, k1251);
    ASSERT_EQ(finding.kind, RepairFinding::Kind::Repair);
    EXPECT_EQ(DescribeChain(finding.chain), "koi8r read as 1251");
    EXPECT_EQ(UndoMisreadings(koi8, finding.chain, k1251),
              UndoMisreadings("Привет, мир! Как поживаете?", MisreadingChain{0, {}, kUtf8}, k1251));
}

// A text written in `e` from its UTF-8 form.
std::string Written(const std::string& utf8, RepairEncoding e) {
    return UndoMisreadings(utf8, MisreadingChain{0, {}, kUtf8}, e);
}

std::string Repaired(const std::string& damaged, RepairEncoding target = kUtf8) {
    const TextRepair repair = FindTextRepair(damaged);
    return repair.Kind() == RepairFinding::Kind::Repair ? UndoTextRepair(damaged, repair, target) : damaged;
}

struct CleanText {
    std::string text;
    std::vector<RepairEncoding> encodings;
};

// A Cyrillic text in capitals throughout, or with each word's first letter a capital: a heading, a
// table of names, a title.
enum class Casing { Capitals, Title };
std::string Cased(const std::string& utf8, Casing casing) {
    std::size_t failed = 0, lost = 0;
    std::u32string text = mojibake::DecodeCharacters(utf8, kUtf8, failed, lost);
    bool wordStart = true;
    for (char32_t& c : text) {
        const bool small = (c >= U'а' && c <= U'я') || c == U'ё' || (c >= 'a' && c <= 'z');
        const bool capital = (c >= U'А' && c <= U'Я') || c == U'Ё' || (c >= 'A' && c <= 'Z');
        const bool up = casing == Casing::Capitals || wordStart;
        // а-я and a-z lie 0x20 above their capitals; ё and Ё are 0x50 apart.
        if (small && up) c = c == U'ё' ? U'Ё' : c - 0x20;
        if (capital && !up) c = c == U'Ё' ? U'ё' : c + 0x20;
        wordStart = !small && !capital;
    }
    return mojibake::EncodeCharacters(text, kUtf8, failed, lost);
}

const std::string kCasedLines[] = {
    "304\t196\tC4\tA\tлатинская заглавная буква «A» с умляутом",
    "удовлетворяющие требованиям POSIX (нити).",
    "Я помню чудное мгновенье: передо мной явилась ты.",
    "Съществуващият файл ще бъде презаписан. Щъркел.",
    "Файл «отчёт.txt» сохранён — 12 КБ, №5.",
    "программа для преобразования текстов из одной кодировки в другую",
};

TEST(MojibakeRepair, AWordInCapitalsReadsAFewNatsWorseThanInTitleCaseHoweverLong) {
    for (const std::string& line : kCasedLines) {
        std::size_t failed = 0, lost = 0, words = 0;
        const std::u32string capitals = mojibake::DecodeCharacters(Cased(line, Casing::Capitals), kUtf8, failed, lost);
        const std::u32string title = mojibake::DecodeCharacters(Cased(line, Casing::Title), kUtf8, failed, lost);
        for (std::size_t i = 0; i + 1 < title.size(); ++i)
            words += mojibake::TraitOf(title[i]).letterClass.letterCase == kUpperCase &&
                     mojibake::TraitOf(title[i + 1]).letterClass.letterCase == kLowerCase && title[i + 1] >= 0x80;
        const double inCapitals = mojibake::Judge(capitals).score, inTitleCase = mojibake::Judge(title).score;
        EXPECT_LT(inCapitals, inTitleCase) << line;
        // Its first capitals cost what the statistics count, the rest as small letters do.
        EXPECT_GT(inCapitals, inTitleCase - 2.5 * static_cast<double>(words)) << line;
    }
}

// A text searched no further for Cyrillic undoings must read as right Russian with each capital where
// it should stand: what 1251 and Mac Cyrillic make of each other's capitals (a sign before a small
// letter, Ё, Ђ) leaves it to the search, in either direction of the damage.
TEST(MojibakeRepair, OnlyATextWithEveryCapitalInPlaceReadsAsRightRussian) {
    auto right = [](const std::string& utf8) {
        std::size_t failed = 0, lost = 0;
        const std::u32string text = mojibake::DecodeCharacters(utf8, kUtf8, failed, lost);
        return mojibake::ReadsAsRightRussian(mojibake::Judge(text), text, 8, -1.7);
    };
    const std::string lines[] = {"Этот драйвер использует устройства процессора, и Света рада этому.",
                                 "Linux знают Света и Тамара, а также Царицыно и Чертаново, и «Сибирь»."};
    for (const std::string& line : lines) {
        EXPECT_TRUE(right(line)) << line;
        for (const MisreadingChain& damage : {Chain({k1251, kMac, kUtf8}), Chain({kMac, k1251, kUtf8})}) {
            const std::string damaged = DoMisreadings(Written(line, damage.steps[0].written), damage);
            EXPECT_FALSE(right(damaged)) << damaged;
        }
    }
}

TEST(MojibakeRepair, NeverChangesACleanTextInAnyEncodingOrLanguage) {
    using E = RepairEncoding;
    const std::vector<E> cyrillic = {kUtf8, k1251, k866, kKoi8, RepairEncoding::Iso8859_5, kMac};
    const CleanText texts[] = {
        {"Ёжик сказал: «Ещё — потом…» № 5, и ушёл домой.", cyrillic},
        // A no-break space after a capital, as typesetters put it after a preposition.
        {"В\u00A0Москве и\u00A0С.\u00A0Петербурге шёл снег. К\u00A0вечеру всё стихло, О\u00A0нём забыли.", cyrillic},
        {"À\u00A0bientôt, Émile\u00A0! Ça\u00A0va\u00A0?", {kUtf8, kWestern, E::Cp850, E::MacRoman}},
        {"Я помню чудное мгновенье: передо мной явилась ты. Как мимолётное виденье, как гений чистой красоты.", cyrillic},
        {"ВІКІ: Їжак і його друзі ґрунтовно вивчають історію.", {kUtf8, k1251, E::Koi8U, E::Iso8859_5, kMac}},
        // Read as KOI8-R, its І are box-drawing signs inside words.
        {"ЯКЩО ВИ ЗНАЙШЛИ ПОМИЛКИ У ПЕРЕКЛАДІ ЦІЄЇ СТОРІНКИ ПІДРУЧНИКА, БУДЬ ЛАСКА, НАДІШЛІТЬ ЛИСТ", {E::Koi8U}},
        {"-N, --BYTES=МЕЖА           ПОРІВНЮВАТИ НЕ БІЛЬШЕ ВКАЗАНОЇ КІЛЬКОСТІ БАЙТІВ.", {E::Koi8U}},
        {"ПоздравЂаво, Ђорђе! Љубав и њежност, џеп и ћуприја.", {kUtf8, k1251, E::Iso8859_5, kMac}},
        {"Треба да сте root за да ја извршите оваа програма", {kUtf8, k1251, E::Iso8859_5, kMac}},
        {"Съществуващият файл ще бъде презаписан. Щъркел.", cyrillic},
        {"Гэта беларуская мова: ўсё добра, дзякуй.", {kUtf8, k1251, E::Iso8859_5, kMac}},
        // Letters of their own only at the start of words, where a capital could stand.
        {"Он је рекао да је то добро и да је све у реду.", {kUtf8, k1251, E::Iso8859_5, kMac}},
        {"Тие ќе дојдат утре, ѕвездите ќе светат.", {kUtf8, k1251, E::Iso8859_5, kMac}},
        // Belarusian in capitals: two readings together would give it back in small letters.
        {"ВЫКАНАЎЦА\nКАМЭНТАР\nАГУЛЬНА ЎЖЫВАЛЬНАЯ НАЗВА\nКОЛЬКАСЬЦЬ ЗАПІСАЎ Ў МЕЖАХ КАЛЕКЦЫІ ДА ЯКОЙ ГЭТЫ ЗАПІС НАЛЕЖЫЦЬ\n"
         "ДАТА\nДАТА, КАЛІ ГЭТЫЯ ДАНЬНІ БЫЛІ СТВОРАНА (ЯК СТРУКТУРА GDATE)\n",
         {kUtf8, k1251, E::Iso8859_5, kMac}},
        // Serbian with ј inside its words, a quotation in „“.
        {"%s: Наведено је више од једне „-L“ опције", {kUtf8, k1251, E::Iso8859_5, kMac}},
        // Its ј only at the start of words, before a vowel: two readings together would make "Ка" of "ја".
        {"Намали ја јачината на звукот", {kUtf8, k1251, E::Iso8859_5, kMac}},
        {"Не успеав да ја вчитам сликата „%s“: причината не е", {kUtf8, k1251, E::Iso8859_5, kMac}},
        {"Пород је окончан ненормално и направио је језгрену датотеку", {kUtf8, k1251, E::Iso8859_5, kMac}},
        // Bulgarian quotations and its я after a consonant, which read in the other of 1251 and Mac
        // Cyrillic and undone are fewer letters ("ƒ%s”"), or only other signs ("—%s’").
        {"неправилен обхват на хоризонта: „%s“\nнеправилен размер на табулатора: „%s“\n"
         "неправилна широчина „%s“\nпаметта е изчерпана\nопашка за съобщения\n", {k1251, kMac}},
        {"свойството „%s“ на елемента „%s“ не може да се зададе да е „%s“", {k1251, kMac}},
        // Macedonian, whose ј the other reading undone makes a capital in a word ("целоброКната"): the
        // undoing reads worse than the text as it is.
        {"Не можам да го отворам директориумот\nНе можам рекурзивно да го ископирам директориумот\n"
         "Не можам да го преименувам директориумот root\nНе можам да го конвертирам „%s“ во енкодингот „%s“\n"
         "Не можам да ја анализирам целобројната вредност „%s“ за %s\n"
         "Не можам да парсирам вредност за целобројната вредност „%s“ за %s\n", {k1251, kMac}},
        // Georgian in its own code page read as KOI8-R: Cyrillic letters in no language's order, a few
        // capitals inside words that 1251 read as Mac Cyrillic would undo into "ј".
        {"шривтис фолю Pango дрхджкдаши\nшривтис фолю пжмьтдаши\nшривтис фолю лидхихю\nшривтис шицю имтдреюки\n"
         "шривтис бюЮилею PangoStretch щАрикши; любюкихюц, PANGO_STRETCH_CONDENCED\nшривтис шицю имтдреюки "
         "лидхихю\nшривтис стики\nшривтис PangoStyle стики, любюкихюц, PANGO_STYLE_ITALIC\nшривтис стики "
         "лидхихю\nшривтис сюАдсАеюоаю\n",
         {kKoi8}},
        {"којима је приступио барем један процес су приказане.", {kUtf8, k1251, E::Iso8859_5, kMac}},
        {"Опциите „-e“, „-E“, „-x“ и „-X“, както и дългите им варианти, водят до", {kUtf8, k1251, E::Iso8859_5}},
        // Some reading of a short Hebrew line pairs as Russian letters do, in words no Russian has.
        {"לא ניתן לקרוא את תכני התיקייה", {E::Cp1255}},
        // Read as 1251 it pairs so well that two undoings more read hardly better ("аеберие" into
        // "ВЕЧЕНСЕ"), where the first of them reads worse.
        {"אובונטו 4.10 \"Warty Warthog\"\nעדכוני אבטחה - אובונטו 5.10\nעדכונים - אובונטו 5.10\n"
         "אובונטו 5.04 \"Hoary Hedgehog\"\nעדכוני אבטחה - אובונטו 5.04\nעדכונים - אובונטו 5.04\n"
         "אובונטו 5.10 \"Breezy Badger\"\nעדכוני אבטחה - אובונטו 5.10\nעדכונים - אובונטו 5.10\n", {E::Cp1255}},
        // Its only letters beyond ASCII are words of one letter each, which 1251 would read as "и".
        {"è un orario standard abbreviato LMT.  Immediatamente dopo la prima\ntransizione, la data è "
         "1896-01-13 e l'ora è 12:01:26, e il seguente\nintervallo di tempo è 10.5 ore a ovest di UT, "
         "orario standard abbreviato\nHST.  Immediatamente dopo la seconda transizione, la data è "
         "1933-04-30 e\nl'ora è 03:00:00 e il seguente intervallo di tempo è 9.5 ore a ovest di UT,\n",
         {kUtf8, kWestern}},
        // gnupg's messages keep unit separators: named binary, yet right UTF-16 from its mark on.
        {"\uFEFFNummer\x1f: %s%%0ABesitzer\x1f: %s%%0AAnzahl\x1f: %lu%s\r\nZeile wird übersprungen, Schlüssel "
         "für Müller ungültig\r\n",
         {E::Utf16LE, E::Utf16BE}},
        {"i à è ì", {kUtf8, kWestern, E::Cp850, E::MacRoman}},
        {"i à è ì: perché è così già più", {kUtf8, kWestern, E::Cp850, E::MacRoman}},
        {"L'élève a reçu un prix à Noël — c’est très « bien ».", {kUtf8, kWestern, E::MacRoman}},
        {"Grüße aus Köln! Schöne Grüße an die Müllers, Maß für Maß.", {kUtf8, kWestern, E::Cp850, E::Cp437}},
        {"Zażółć gęślą jaźń, źdźbło trawy i łódź.", {kUtf8, E::Cp1250, E::Cp852, E::Iso8859_2}},
        {"Καλημέρα κόσμε, η γλώσσα μου έδωσαν ελληνική.", {kUtf8, E::Cp1253, E::Iso8859_7}},
        // One reading changes a letter or two of these into other letters, and nothing else.
        {"Τοποθεσία τερματισμου Backup:                      %X/%X", {E::Cp1253, E::Iso8859_7}},
        {"263\t179\tB3\tЁ\tКИРИЛЛИЧЕСКАЯ ПРОПИСНАЯ БУКВА Ё", cyrillic},
        {"Türkçe öğrenmek için çalışıyorum, şimdi İstanbul'dayım.", {kUtf8, E::Cp1254}},
        {"ภาษาไทยเป็นภาษาที่สวยงามมาก", {kUtf8, E::Cp874}},
        {"日本語のテキストです。文字化けしないでください。", {kUtf8}},
    };
    // Lines such as tables and headings hold, in capitals and in title case.
    std::vector<CleanText> cased;
    for (const std::string& line : kCasedLines)
        for (Casing casing : {Casing::Capitals, Casing::Title}) cased.push_back({Cased(line, casing), cyrillic});
    std::vector<CleanText> all(std::begin(texts), std::end(texts));
    all.insert(all.end(), cased.begin(), cased.end());
    // A text whose parts are in two code pages, each right in its own, has nothing to undo either.
    // (Mac Cyrillic and 1251 share their small letters: read as one, the other part's quotes and
    // capitals looked like a chain between them.)
    std::string parts[2];
    for (int times = 0; times < 6; ++times) {
        parts[0] += "Открит бе цикъл във файловата система: файлът е част от същото зацикляне.\n"
                    "Неправилен аргумент за опцията, стойността е грешна.\nпаметта е изчерпана\nопашка за съобщения\n";
        parts[1] += "Открит бе цикъл във файловата система: „%s“ е част от същото зацикляне като „%s“.\n"
                    "Не е ясно как „%s“ може да се интерпретира като дата или време\n"
                    "Неправилен аргумент „%s“ за опцията „--max-database-age“\n";
    }
    const RepairEncoding pages[] = {k1251, k866, kKoi8, RepairEncoding::Iso8859_5, kMac};
    for (RepairEncoding first : pages)
        for (RepairEncoding second : pages)
            for (int order = 0; order < 2; ++order) {
                const std::string bytes = Written(parts[order], first) + Written(parts[1 - order], second);
                EXPECT_NE(FindTextRepair(bytes).Kind(), RepairFinding::Kind::Repair)
                    << RepairEncodingName(first) << " + " << RepairEncodingName(second) << " " << order;
            }
    for (const CleanText& t : all)
        for (RepairEncoding e : t.encodings) {
            const std::string bytes = Written(t.text, e);
            if (UndoMisreadings(bytes, MisreadingChain{0, {}, e}, kUtf8) != t.text) continue;  // « » — … lacking in 866
            // As a file, and as a view in the encoding it is in.
            EXPECT_NE(FindTextRepair(bytes).Kind(), RepairFinding::Kind::Repair) << RepairEncodingName(e) << ": " << t.text;
            if (e == kUtf8 || static_cast<int>(e) < kConversionCodePageCount)
                EXPECT_NE(FindTextRepair(bytes, e).Kind(), RepairFinding::Kind::Repair)
                    << "view " << RepairEncodingName(e) << ": " << t.text;
        }
}

TEST(MojibakeRepair, UndoesTextOfAnyLanguageReadThroughAnyCommonCodePage) {
    using E = RepairEncoding;
    const std::string texts[] = {
        "It’s a “quoted” text — isn’t it? A naïve café.",
        "Région, élève, façade: les accents sont là, à côté.",
        "Grüße aus Köln! Schöne Grüße an die Müllers.",
        "Καλημέρα κόσμε, η γλώσσα μου έδωσαν ελληνική.",
        "日本語のテキストです。文字化けしないでください。",
        "Съешь же ещё этих мягких французских булок, да выпей чаю.",
        // One character beyond ASCII, whose second byte in UTF-8 is 0xA0, a no-break space in most
        // code pages: "Ã\u00A0".
        "Rendez-vous à 10h demain, merci.",
        "%s\u00A0: symbole couvrant plusieurs enregistrements",
        // Read as 1255, each accented letter is a Hebrew point and a sign: "non ֳ¨", "puֳ²".
        "Non fallisce se il demone non è disponibile, cosicché può essere",
        // Read as 1250, undone as ISO 8859-2 it is "Pokaŵi moŵnosti razhroŷīevanja", of Welsh letters.
        "Pokaži možnosti razhroščevanja",
        // Read as 1250, Esperanto's ĉ is "Ä‰": a per mille sign inside a word.
        "Vi ne povas uzi {} ene de la nomo por -execdir, ĉar tio ĉi ne funkcias",
        // Read as 1257, the sixteenth reading tried, "fĆørste": two letters where one stood, which
        // read better undone by little more than the margin.
        "%s: inkompatibel med første gmon-fil",
    };
    const E readings[] = {k1251,     kWestern,  kKoi8,     k866,     kMac,         E::Iso8859_5,  E::Koi8U,
                          E::Cp1250, E::Cp1253, E::Cp1254, E::Cp1255, E::Cp1257,    E::Cp437,      E::Cp850,
                          E::Cp852,  E::MacRoman, E::Iso8859_2, E::Iso8859_7};
    int restored = 0, cases = 0;
    for (const std::string& text : texts)
        for (E readAs : readings) {
            std::uint64_t lost = 0;
            const std::string damaged = DoMisreadings(text, Chain({kUtf8, readAs, kUtf8}), &lost);
            if (lost > 0 || damaged.find("\xEF\xBF\xBD") != std::string::npos) continue;
            ++cases;
            // Restored, or left alone where two readings give texts that read alike (German read as
            // 1253 or as ISO 8859-7: "ö" or "â"); never anything else.
            const std::string repaired = Repaired(damaged);
            restored += repaired == text;
            EXPECT_TRUE(repaired == text || repaired == damaged) << "read as " << RepairEncodingName(readAs) << ": " << repaired;
        }
    EXPECT_GT(cases, 60);
    EXPECT_GE(restored * 100, cases * 95);
    const std::string& italian = std::end(texts)[-4];
    EXPECT_EQ(Repaired(DoMisreadings(italian, Chain({kUtf8, E::Cp1255, kUtf8}))), italian);
    const std::string& slovene = std::end(texts)[-3];
    EXPECT_EQ(Repaired(DoMisreadings(slovene, Chain({kUtf8, E::Cp1250, kUtf8}))), slovene);
    const std::string& esperanto = std::end(texts)[-2];
    EXPECT_EQ(Repaired(DoMisreadings(esperanto, Chain({kUtf8, E::Cp1250, kUtf8}))), esperanto);
    const std::string& danish = std::end(texts)[-1];
    EXPECT_EQ(Repaired(DoMisreadings(danish, Chain({kUtf8, E::Cp1257, kUtf8}))), danish);
}

TEST(MojibakeRepair, UndoesThreeLayersReferencesLostBytesAndUtf16) {
    const std::string french = "Région, élève, façade: les accents sont là, à côté.";
    const MisreadingChain thrice = [] {
        MisreadingChain chain = Chain({kUtf8, kWestern, kUtf8}, {kUtf8, kWestern, kUtf8});
        chain.length = 3;
        chain.steps[2] = {kUtf8, kWestern, kUtf8};
        return chain;
    }();
    EXPECT_EQ(Repaired(DoMisreadings(french, thrice)), french);
    EXPECT_EQ(Repaired(DoMisreadings(french, Chain({kUtf8, k1251, kUtf8}, {kUtf8, kWestern, kUtf8}))), french);
    // Mojibake written as HTML character references: "&ETH;&iexcl;&Ntilde;..." (Latin-1's named ones).
    EXPECT_EQ(Repaired("&ETH;&iexcl;&ETH;&raquo;&ETH;&frac34;&ETH;&sup2;&ETH;&frac34; &ETH;&cedil; "
                       "&ETH;&acute;&ETH;&micro;&ETH;&raquo;&ETH;&frac34;"),
              "Слово и дело");
    // A reader that turned bytes it had no character for into U+FFFD: those stay U+FFFD.
    EXPECT_EQ(Repaired("Ð ÑƒÑ�Ñ�ÐºÐ¸Ð¹ Ñ‚ÐµÐºÑ�Ñ‚ Ð·Ð´ÐµÑ�ÑŒ"), "Ру��кий тек�т зде�ь");
    // UTF-16 of either order read as 1252 and 1251, and saved as UTF-8: controls and letters by turns.
    // Read the other way round, a Latin line is a line of CJK characters that reads as well.
    // A long one is looked at in a sample, which must not end inside a pair (a blank of UTF-16BE is
    // 0x00 0x20). A sign of Latin-1 (×, 0xD7 0x00) reads as a letter in one code page and another in
    // the next (1251's Ч, KOI8-R's þ): the sign reads no worse.
    std::vector<std::pair<std::u32string, std::string>> texts = {
        {U"Съешь же ещё этих мягких французских булок.", "Съешь же ещё этих мягких французских булок."},
        {U"Bitte wählen Sie einen Befehl zum Ausführen", "Bitte wählen Sie einen Befehl zum Ausführen"},
        {}, {}};
    // Read as 1251, the accented letters are Russian ones, each alone between zero bytes.
    for (int i = 0; i < 20; ++i)
        texts[2].first += U"Tiedostoa ei löytynyt. Yritä myöhemmin uudelleen, kun järjestelmä on käynnissä ja yhteys on päällä.\n",
            texts[2].second += "Tiedostoa ei löytynyt. Yritä myöhemmin uudelleen, kun järjestelmä on käynnissä ja yhteys on päällä.\n";
    while (texts.back().first.size() <= kRepairSample)
        texts.back().first += U"«Вот» — сказал он — «и всё», 2 × 2.\n", texts.back().second += "«Вот» — сказал он — «и всё», 2 × 2.\n";
    for (const auto& [text, utf8] : texts)
        for (RepairEncoding order : {RepairEncoding::Utf16LE, RepairEncoding::Utf16BE}) {
            const bool le = order == RepairEncoding::Utf16LE;
            std::string utf16 = le ? "\xFF\xFE" : "\xFE\xFF";
            for (const char32_t* c = text.c_str(); *c; ++c) {
                const char low = static_cast<char>(*c & 0xFF), high = static_cast<char>(*c >> 8);
                (utf16 += le ? low : high) += le ? high : low;
            }
            for (RepairEncoding readAs : {kWestern, k1251}) {
                std::uint64_t lost = 0;
                const std::string damaged = UndoMisreadings(utf16, MisreadingChain{0, {}, readAs}, kUtf8, &lost);
                ASSERT_EQ(lost, 0u);
                const TextRepair repair = FindTextRepair(damaged);
                ASSERT_EQ(repair.Kind(), RepairFinding::Kind::Repair) << RepairEncodingName(readAs) << ": " << utf8;
                EXPECT_EQ(DescribeChain(repair.pieces[0].finding.chain),
                          std::string(RepairEncodingName(order)) + " read as " + RepairEncodingName(readAs) + ", saved as utf-8");
                EXPECT_EQ(UndoTextRepair(damaged, repair, kUtf8), utf8);
            }
        }
    // UTF-16 is a whole file's encoding: a Russian text in UTF-8 with a paragraph pasted from a UTF-16
    // file read as 1251 is no UTF-16 (read so, its Russian is CJK), and stays as it is.
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("Bitte w\xE4hlen Sie einen Befehl zum Ausf\xFChren, bitte sehr.\n\n")) (utf16 += c) += '\0';
    const std::string right = "Этот абзац написан верно, и его трогать нельзя.\n\n";
    const std::string inside = right + UndoMisreadings(utf16, MisreadingChain{0, {}, k1251}, kUtf8) + right;
    EXPECT_EQ(UndoTextRepair(inside, FindTextRepair(inside), kUtf8), inside);
    // Nor is UTF-8 read as 1253, which lacks a few of its bytes: for the most part still in UTF-8's
    // sequences, though read as UTF-16 it is CJK as well as the Japanese it was.
    std::string japanese;
    for (int i = 0; i < 3; ++i)
        japanese += "開発者向けオプション:\n  --boot             初期起動モードを選択 (最初の引数でなければなりません)\n"
                    "  --describe-config  設定パラメータの説明を出力して終了\n不具合は<%s>まで報告してください。\n\n";
    const TextRepair greek = FindTextRepair(DoMisreadings(japanese, Chain({kUtf8, RepairEncoding::Cp1253, kUtf8})));
    for (const RepairPiece& piece : greek.pieces)
        EXPECT_FALSE(piece.finding.kind == RepairFinding::Kind::Repair && mojibake::IsUtf16(piece.finding.chain.steps[0].written))
            << DescribeChain(piece.finding.chain);
}

TEST(MojibakeRepair, RepairsOneDamagedPieceAndKeepsTheRestByteForByte) {
    const std::string first = "Первый абзац написан верно, и его трогать нельзя.\nВторая строка первого абзаца.\n\n";
    const std::string second = "Второй абзац пришёл из письма, прочитанного не в той кодировке.\n\n";
    const std::string third = "Третий абзац снова верный — «как и положено».\n";
    for (RepairEncoding readAs : {k1251, kWestern}) {
        const std::string damaged = first + DoMisreadings(second, Chain({kUtf8, readAs, kUtf8})) + third;
        const TextRepair repair = FindTextRepair(damaged);
        ASSERT_EQ(repair.pieces.size(), 3u) << RepairEncodingName(readAs);
        EXPECT_EQ(repair.pieces[1].start, first.size());
        EXPECT_EQ(repair.pieces[1].finding.kind, RepairFinding::Kind::Repair);
        EXPECT_EQ(UndoTextRepair(damaged, repair, kUtf8), first + second + third);
    }
    // One line of a log, in a file that is right otherwise; the other lines stay as they are, even
    // their malformed bytes.
    const std::string log = "12:00 запуск\n12:01 \xFF\xFE ошибка чтения\n";
    const std::string line = "12:02 " + DoMisreadings("Привет, как дела у нашего сервера?", Chain({kUtf8, k1251, kUtf8})) + "\n";
    EXPECT_EQ(Repaired(log + line + log), log + "12:02 Привет, как дела у нашего сервера?\n" + log);
    // A catalogue: a message a line, no blank line anywhere, so the whole text is one paragraph that
    // reads right; its one damaged line is found all the same.
    std::string catalogue;
    for (int i = 0; i < 60; ++i) catalogue += "Указатель для поиска номер " + std::to_string(i) + " — справка\n";
    const std::string message = "Заглавие строки в таблице\n";
    EXPECT_EQ(Repaired(catalogue + DoMisreadings(message, Chain({kUtf8, k1251, kUtf8})) + catalogue),
              catalogue + message + catalogue);
    // After a text damaged otherwise, a catalogue damaged in its own way, a few of its lines twice:
    // those get both undoings.
    const std::string before = "Этот абзац прочитан не в той кодировке, как и весь текст до каталога.\n\n";
    std::string twice, right;
    for (int i = 0; i < 12; ++i) {
        const std::string entry = "Échec de la commande numéro " + std::to_string(i) + " : réessayez plus tard\n";
        right += entry;
        twice += i % 4 == 3 ? DoMisreadings(entry, Chain({kUtf8, k1251, kUtf8}, {kUtf8, kWestern, kUtf8}))
                            : DoMisreadings(entry, Chain({kUtf8, kWestern, kUtf8}));
    }
    EXPECT_EQ(Repaired(DoMisreadings(before + before, Chain({kUtf8, k1251, kUtf8})) + twice), before + before + right);
    // A Russian manual damaged throughout by one code-page reading: its long English paragraphs hold
    // only a dash or a no-break space each, or one short Russian word, which the letter statistics can
    // not judge alone (one letter: not at all), yet they are mended with the rest; a clean twin of such
    // a manual stays as it is.
    const std::string english = "Each mailbox keeps its own count of messages\u00A0and of words\u2014that is, how many "
                                "words the user wrote there in the last week, or in the last month, or ever since the "
                                "mailbox was made by the administrator of the system.\n\n";
    const std::string russian = "Настройка\nЕсли в системе нет такого файла, программа создаёт его сама и пишет в него "
                                "свои Настройки.\n\n";
    const std::string word = "Each block holds the same number of bytes (байт in the Russian manual), set once when the "
                             "disk is made; a block is never split between two files, so a short file still takes a "
                             "whole block of the disk.\n\n";
    const std::string letter = "The options SO_RCVTIMEO и SO_SNDTIMEO set the time a call waits before it reports an "
                               "error; they are given as a struct timeval, and a value of zero, which is what a new "
                               "socket starts with, means that the call waits for ever.\n\n";
    const std::string manual = russian + english + russian + word + english + letter;
    for (const MisreadingChain& damage : {Chain({k1251, kMac, kUtf8}), Chain({kMac, k1251, kUtf8}), Chain({k1251, kKoi8, kUtf8})}) {
        std::uint64_t lost = 0;
        const std::string damaged = DoMisreadings(Written(manual, damage.steps[0].written), damage, &lost);
        ASSERT_EQ(lost, 0u) << DescribeChain(damage);
        EXPECT_EQ(Repaired(damaged), manual) << DescribeChain(damage);
    }
    EXPECT_NE(FindTextRepair(manual).Kind(), RepairFinding::Kind::Repair);
    EXPECT_NE(FindTextRepair(Written(manual, k1251)).Kind(), RepairFinding::Kind::Repair);
    // UTF-8's byte order mark read as 1251 or as 1252 where a file starts, or where the second of two
    // files put one after another does: the mark comes back, and the text after it stays as it is.
    const std::string mark = "\xEF\xBB\xBF", russian2 = "Привет, как дела? Всё хорошо.\n", english2 = "Hello, world.\n";
    EXPECT_EQ(Repaired("п»ї" + russian2 + "ï»¿" + english2 + "п»ї" + russian2), mark + russian2 + mark + english2 + mark + russian2);
}

// The search keeps its tables one set a thread: threads that come and go, as a batch run's workers
// do, each repair as the first thread did, and each leaves the heap sound as it ends.
TEST(MojibakeRepair, RepairsAlikeOnThreadsThatComeAndGo) {
    const std::string right = "Этот абзац прочитан не в той кодировке, как и весь текст до каталога.\n\n";
    const std::string damaged = "12:00 запуск\n" + DoMisreadings(right, Chain({kUtf8, k1251, kUtf8})) + "i à è ì ò ù\n";
    const std::string expected = Repaired(damaged);
    ASSERT_NE(expected, damaged);
    for (int generation = 0; generation < 8; ++generation) {
        std::vector<std::string> results(3);
        std::vector<std::thread> threads;
        for (std::string& result : results) threads.emplace_back([&damaged, &result] { result = Repaired(damaged); });
        for (std::thread& thread : threads) thread.join();
        for (const std::string& result : results) EXPECT_EQ(result, expected);
    }
}

// A long text found in parts (as threads find it, or as it streams in) and joined has the very
// pieces of one walk over it, whatever the parts: plain stretches, damaged paragraphs and lines,
// right ones, in any order, with a damage that runs throughout or none; streamed, its parts undone
// one by one write what the whole text undone at once writes.
TEST(MojibakeRepair, ALongTextFoundInPartsHasThePiecesOfOneWalk) {
    const std::vector<std::string> paragraphs = {
        "Plain English text of a log line, nothing beyond ASCII at all.\n",
        "\n",
        "Первый абзац написан верно, и его трогать нельзя — «как и положено».\n\n",
        DoMisreadings("Второй абзац пришёл из письма, прочитанного не в той кодировке.\n\n", Chain({kUtf8, k1251, kUtf8})),
        "12:01 запуск \xFF\xFE ошибка чтения\n",
        DoMisreadings("It’s a line “quoted” — read as 1252.\n", Chain({kUtf8, kWestern, kUtf8})),
        "Eine deutsche Zeile mit »Anführungszeichen« und Umlauten: Größe.\n\n",
        " \n\t\n\n",
        "п»їВторой файл, приставленный к первому, начат со знака порядка байтов.\n",
        DoMisreadings(Written("Третий абзац был в KOI8-R и прочитан как 1251, а потом сохранён в UTF-8.\n\n", kKoi8),
                      Chain({kKoi8, k1251, kUtf8})),
    };
    // The second part starts with plain text, then a damaged paragraph: the plain text belongs to the
    // right piece before it.
    std::string start;
    while (start.size() < 65000) start += paragraphs[2];
    while (start.size() < 65534) start += start.size() % 2 ? " " : "а";
    start += "\n\n";
    std::string rest = paragraphs[0] + paragraphs[0] + "\n" + paragraphs[3];
    while (rest.size() < 50000) rest += paragraphs[2];
    // A line longer than a block, with blank lines after it: the block ends with the paragraph.
    std::string longLine;
    while (longLine.size() < 70000) longLine += "слово word ";
    longLine += "\n  \n\n";
    auto expectSame = [](const TextRepair& joined, const TextRepair& walk, const std::string& where) {
        ASSERT_EQ(joined.pieces.size(), walk.pieces.size()) << where;
        for (std::size_t i = 0; i < walk.pieces.size(); ++i) {
            const RepairPiece& a = joined.pieces[i];
            const RepairPiece& b = walk.pieces[i];
            ASSERT_EQ(std::tie(a.start, a.length, a.finding.kind), std::tie(b.start, b.length, b.finding.kind)) << where << ' ' << i;
            ASSERT_EQ(DescribeChain(a.finding.chain), DescribeChain(b.finding.chain));
        }
    };
    std::mt19937 random(20261209);
    for (int round = 0; round < 6; ++round) {
        std::string text = round == 3 ? start + rest : round == 4 ? longLine + start + longLine : "";
        // Now and then a text damaged throughout, which starts so, through UTF-8 or a code page.
        if (round == 2) text = DoMisreadings("Начало текста, испорченного целиком одной ошибкой.\n\n", Chain({kUtf8, k1251, kUtf8}));
        if (round == 5) while (text.size() <= kRepairSample) text += paragraphs.back();
        while (text.size() < 150 * 1024) {
            // The one damaged through a code page among right ones only: its undoing is written as
            // it is tried.
            const std::size_t pick = round == 5 ? std::vector<std::size_t>{0, 1, 2, 6, 7, 9}[random() % 6] : random() % paragraphs.size();
            const std::string& p = paragraphs[pick];
            for (int run = static_cast<int>(random() % 40); run >= 0; --run) text += p;
        }
        const TextRepair walk = FindTextRepair(text);
        const RepairFinding whole = FindMisreadings(text, text.size() <= kRepairSample);
        // Streamed in reads of any size, each part at least as long as asked where it can be.
        StreamedTextRepair stream(whole);
        std::string undone;
        std::size_t from = 0, read = 0, streamed = 0, written = 0;
        while (from < text.size()) {
            // Once, a read that ends inside the blank lines after a paragraph longer than a block.
            read = round == 4 && read == 0 ? longLine.size() - 3 : std::min(text.size(), read + 1 + random() % 90000);
            const std::string_view at = std::string_view(text).substr(from, read - from);
            const std::size_t least = round == 4 && from == 0 ? 1 : 1 + random() % 60000;
            const std::size_t end = read == text.size() ? at.size() : RepairPartEnd(at, whole, least);
            if (end == 0) continue;
            ASSERT_FALSE(round == 4 && from == 0 && end < longLine.size());
            const std::string_view part = at.substr(0, end);
            // Now and then a part is found without its undoing written, as a text read at once is.
            TextRepairPart found = stream.Find(part, streamed % 3 != 1);
            std::uint64_t lost = 0;
            undone += UndoTextRepair(part, found.repair, walk.now, &lost);
            // What the search wrote as it went is what the pieces undo into.
            if (found.undone)
                EXPECT_EQ(std::make_tuple(found.written, found.lost), std::make_tuple(undone.substr(undone.size() - found.written.size()), lost));
            written += found.undone;
            stream.Join(std::move(found), part);
            from += end;
            ++streamed;
        }
        expectSame(stream.Joined(), walk, std::to_string(round) + " streamed");
        EXPECT_GT(streamed, 1u);
        EXPECT_EQ(written > 0, round == 5) << round;
        EXPECT_EQ(undone, UndoTextRepair(text, walk, walk.now)) << round;
    }
}

TEST(MojibakeRepair, AnUndecidedTextOffersItsReadingsByTheirFirstLinesAndTheChosenOneRepairsIt) {
    // 1251 read as Mac Cyrillic turned only the capital: "‘айл" reads back as "Файл" or as "Сайл".
    const MisreadingChain damage = Chain({k1251, kMac, k1251});
    const std::string damaged = "\r\n  \r\n" + DoMisreadings(Written("Файл не найден", k1251), damage) + "\r\nok\r\n";
    TextRepair repair = FindTextRepair(damaged, k1251);
    ASSERT_EQ(repair.Kind(), RepairFinding::Kind::Unknown);
    const std::vector<MisreadingChain> candidates = RepairCandidates(repair);
    ASSERT_EQ(candidates.size(), 2u);
    EXPECT_TRUE(SameChain(candidates[0], damage));
    EXPECT_EQ(ChoiceLine(damaged, repair, candidates[0], k1251), "Файл не найден");
    EXPECT_EQ(ChoiceLine(damaged, repair, candidates[1], k866), "Сайл не найден");
    // A reading that was not offered decides nothing; the offered one repairs every piece that named it.
    ChooseReading(repair, Chain({kUtf8, k1251, kUtf8}));
    EXPECT_EQ(repair.Kind(), RepairFinding::Kind::Unknown);
    ChooseReading(repair, candidates[1]);
    EXPECT_TRUE(RepairCandidates(repair).empty());
    EXPECT_EQ(UndoTextRepair(damaged, repair, k1251), "\r\n  \r\n" + Written("Сайл не найден", k1251) + "\r\nok\r\n");
    EXPECT_TRUE(RepairCandidates(FindTextRepair(Written("Файл найден", k1251), k1251)).empty());
}

}  // namespace

// The search's shortcuts must see a text as the full decoding and encoding do: UTF-8 is well-formed
// exactly when decoding it fails nowhere (lost sequences, "Р" before a blank and cut ends included),
// it holds a character reference beyond ASCII exactly when its characters do,
// its shape is that of its characters written out, and an encoding stopped at its failure limit
// agrees with the whole one up to that limit.
TEST(MojibakeRepair, TheSearchsShortcutsReadBytesAsTheFullDecodingDoes) {
    std::mt19937 random(20261209);
    const std::vector<std::string> pieces = {"a", " ", "?", "\xD0", "\xD0\xB0", "\xD1\x8F", "\xC3\xA9", "\xE2\x80\x94",
                                             "\xF0\x9F\x98\x80", "\x80", "\xBF", "\xC0", "\xE0\x80", "\xED\xA0\x80",
                                             "\xF4\x90\x80\x80", "\xFF", "\xE2\x80", "\xC2\xA0", "&", "#", ";", "1",
                                             "&eacute;", "&#1056;", "&amp;",
                                             // runs of ASCII, which the shape takes eight bytes at a time
                                             "word", "camelCase", "Ab", "z", "Q", "12", ".", "\t", "\n", "\r",
                                             "\x01", "\x1F", "\x7F", "the quick brown fox ",
                                             // Russian letters, which it takes four at a time, and their neighbours
                                             "\xD0\x90", "\xD0\xAF", "\xD0\xBF", "\xD1\x80", "\xD0\x8F", "\xD1\x90",
                                             "\xD0\x81", "\xD1\x91", "\xD0\xB2\xD0\x96", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
                                             // three bytes: box drawing, kana, an ideograph, U+FFFD, the bounds
                                             "\xE2\x94\x80", "\xE2\x95\xAC", "\xE3\x81\x82", "\xE4\xB8\x80", "\xEF\xBF\xBD",
                                             "\xED\x9F\xBF", "\xEE\x80\x80", "\xE1\x80", "\xE3?"};
    for (int round = 0; round < 40000; ++round) {
        std::string bytes;
        const int count = static_cast<int>(random() % (round % 2 == 0 ? 8 : 24));
        for (int i = 0; i < count; ++i) bytes += pieces[random() % pieces.size()];
        std::size_t failed = 0, lost = 0;
        const std::u32string text = mojibake::DecodeCharacters(bytes, kUtf8, failed, lost);
        ASSERT_EQ(mojibake::WellFormedUtf8(bytes), failed == 0) << testing::PrintToString(bytes);
        std::u32string references;
        std::size_t decodedCount = 0;
        ASSERT_EQ(mojibake::HasReferences(bytes), mojibake::DecodeReferences(text, references, decodedCount)) << testing::PrintToString(bytes);
        std::size_t shapeFailed = 0, shapeLost = 0;
        const mojibake::Shape shape = mojibake::ShapeOfUtf8(bytes, shapeFailed, shapeLost);
        const mojibake::Shape written = mojibake::ShapeOf(text);
        ASSERT_EQ(std::tie(shape.cost, shape.signs, shape.beyondAscii, shape.letters, shape.latinBeyondAscii, shape.latinInTheirWords,
                           shape.cyrillic, shape.controls, shapeFailed, shapeLost),
                  std::tie(written.cost, written.signs, written.beyondAscii, written.letters, written.latinBeyondAscii,
                           written.latinInTheirWords, written.cyrillic, written.controls, failed, lost))
            << testing::PrintToString(bytes);
        // Its cost looked at only until it comes to enough is the whole cost, or at least enough.
        // (In tenths, as costs are counted: the same in every build's arithmetic.)
        const long long enough = static_cast<long long>(random() % 100);
        const long long some = std::llround(mojibake::CostOfUtf8(bytes, static_cast<double>(enough) / 10) * 10);
        const long long all = std::llround(shape.cost * 10);
        ASSERT_TRUE(all < enough ? some == all : some >= enough && some <= all) << testing::PrintToString(bytes);
        // Line by line, each line's shape is its own, and they make up the whole one.
        std::vector<mojibake::LineShape> lines;
        std::size_t linesFailed = 0, linesLost = 0;
        const mojibake::Shape whole = mojibake::ShapeOfUtf8(bytes, linesFailed, linesLost, &lines);
        ASSERT_EQ(std::tie(whole.cost, whole.signs, whole.letters, whole.latinInTheirWords),
                  std::tie(shape.cost, shape.signs, shape.letters, shape.latinInTheirWords));
        std::size_t from = 0;
        for (const mojibake::LineShape& line : lines) {
            std::size_t f = 0, l = 0;
            const mojibake::Shape alone = mojibake::ShapeOfUtf8(std::string_view(bytes).substr(from, line.end - from), f, l);
            ASSERT_EQ(std::tie(line.shape.cost, line.shape.signs, line.shape.beyondAscii, line.shape.letters,
                               line.shape.latinBeyondAscii, line.shape.latinInTheirWords, line.shape.cyrillic,
                               line.shape.controls, line.failed, line.lost),
                      std::tie(alone.cost, alone.signs, alone.beyondAscii, alone.letters, alone.latinBeyondAscii,
                               alone.latinInTheirWords, alone.cyrillic, alone.controls, f, l))
                << testing::PrintToString(bytes);
            from = line.end;
        }
        ASSERT_EQ(from, bytes.size());
        for (RepairEncoding e : {k1251, kWestern, kKoi8}) {
            std::size_t allFailed = 0, allLost = 0;
            const std::string all = mojibake::EncodeCharacters(text, e, allFailed, allLost);
            for (std::size_t most = 0; most < 3; ++most) {
                std::size_t f = 0, l = 0;
                const std::string some = mojibake::EncodeCharacters(text, e, f, l, most);
                if (allFailed <= most)
                    ASSERT_EQ(some, all);
                else
                    ASSERT_EQ(f, most + 1);
            }
        }
    }
    // A long text counts as its parts do, however long the walk keeps its counts to itself.
    const std::string part = "\xD0\x96\xD1\x91\xD0\xBB\xD1\x82 camelCase caf\xC3\xA9 the quick brown fox\x01\n";
    std::size_t failed = 0, lost = 0;
    const mojibake::Shape one = mojibake::ShapeOfUtf8(part, failed, lost);
    std::string bytes;
    const std::size_t times = 9000;
    for (std::size_t i = 0; i < times; ++i) bytes += part;
    const mojibake::Shape all = mojibake::ShapeOfUtf8(bytes, failed, lost);
    const mojibake::Shape written = mojibake::ShapeOf(mojibake::DecodeCharacters(bytes, kUtf8, failed, lost));
    for (const mojibake::Shape& shape : {all, written})
        EXPECT_EQ(std::tie(shape.beyondAscii, shape.letters, shape.latinBeyondAscii, shape.latinInTheirWords, shape.cyrillic,
                           shape.controls),
                  std::make_tuple(times * one.beyondAscii, times * one.letters, times * one.latinBeyondAscii,
                                  times * one.latinInTheirWords, times * one.cyrillic, times * one.controls));
    EXPECT_EQ(all.cost, written.cost);
}

// The shape's walk looks the cost of a pair up by what it reduced each character to: for any two
// characters that must be what the rule gives them, whatever plane they are in.
TEST(MojibakeRepair, TheShapesLookedUpPairsCostWhatTheRuleSays) {
    std::vector<char32_t> sample;
    for (char32_t c = 0; c < 0x600; ++c) sample.push_back(c);
    for (char32_t c = 0x600; c < 0x10000; c += 37) sample.push_back(c);
    for (char32_t c : {U'\u2013', U'\u2014', U'\u2018', U'\u2019', U'\u201C', U'\u2116', U'\u20AC', U'\u2122', U'\u3000',
                       U'\u2500', U'\u2593', U'\u25A0', U'\u25FF', U'\u2600', U'\u3042', U'\u30FF', U'\u3100', U'\u4E00', U'\u9FFF',
                       U'\u3001', U'\u3002', U'\u300C', U'\uFF08', U'\uFFFD', U'\uFFFE', U'\U0001F600', U'\U00020000'})
        sample.push_back(c);
    std::mt19937 random(20261209);
    for (int round = 0; round < 200000; ++round) {
        const char32_t a = sample[random() % sample.size()], b = sample[random() % sample.size()];
        // With a blank between them, what the two cost is their own: every pair with a blank costs nothing.
        // The shape counts its costs in tenths, which the rule's are.
        const double apart = mojibake::ShapeOf(std::u32string{a, U' ', b}).cost;
        ASSERT_EQ(std::lround(mojibake::ShapeOf(std::u32string{a, b}).cost * 10),
                  std::lround((apart + mojibake::MisfitBetween(a, b)) * 10))
            << std::hex << static_cast<unsigned>(a) << ' ' << static_cast<unsigned>(b);
    }
    // Chinese and Japanese text with its own punctuation and Latin words in it reads right as it is.
    EXPECT_EQ(mojibake::ShapeOf(U"Linuxカーネルを起動します。「設定」を開いて、GNOMEを選択（推奨）。").cost, 0);
}

// The search judges the first Russian undoings of a text by the pairs of its numbered characters,
// each written as one reading writes it and read back in a Cyrillic code page: their sum must be the
// pair part of the judgement of the text written out and read back, whatever it holds (letters of
// the other Cyrillic alphabets, signs, Latin, what a code page lacks). No blank follows the start, so
// only the first letter may start a sentence small.
TEST(MojibakeRepair, NumberedPairsScoreAsTheJudgementOfTheTextReadBack) {
    // A text of more different pairs than the numbers keep is judged by its walk alone.
    std::u32string many;
    for (char32_t a = 0x400; a < 0x500; ++a)
        for (char32_t b = 0x400; b < 0x500; ++b) many += {a, b};
    mojibake::NumberedText counted;
    mojibake::NumberText(many, counted);
    EXPECT_FALSE(counted.paired);
    EXPECT_TRUE(counted.pairs.empty());
    const std::u32string alphabet = U"абвгдеёжзийклмнопрстуфхцчшщъыьэюяАБВЕЁЖЩЯєіїґЄІЇЂђўабвопрст«»—…№„“abcXZ09,;:?.\u00A0\u2019\uFFFD\u4E00";
    const RepairEncoding readings[] = {k1251, kWestern, kKoi8, k866, kMac, RepairEncoding::Cp437, RepairEncoding::Cp1250};
    std::mt19937 random(20261209);
    for (int round = 0; round < 400; ++round) {
        std::u32string text;
        for (int n = 1 + static_cast<int>(random() % 80); n > 0; --n) text += alphabet[random() % alphabet.size()];
        mojibake::NumberedText numbered;
        mojibake::NumberText(text, numbered);
        ASSERT_TRUE(numbered.paired);
        for (RepairEncoding readAs : readings) {
            ASSERT_TRUE(mojibake::KeepsAscii(readAs));
            const mojibake::ByteChart& chart = mojibake::ChartTables(readAs);
            std::string byteOf;
            for (char32_t c : numbered.distinct) {
                const int b = c < 0x10000 ? chart.byte[c] : -1;
                byteOf += static_cast<char>(b < 0 ? '?' : b);
            }
            std::string bytes;
            for (std::uint32_t id : numbered.ids) bytes += byteOf[id];
            for (RepairEncoding written : {k1251, kKoi8, k866, RepairEncoding::Iso8859_5, kMac}) {
                const mojibake::RussianPairTable& table = mojibake::RussianPairTableOf(written);
                std::int64_t pairs = 0;
                const std::string withStart = byteOf + ' ';
                for (const mojibake::NumberedText::Pair& p : numbered.pairs)
                    pairs += static_cast<std::int64_t>(p.count) *
                             table.score[static_cast<std::uint8_t>(withStart[p.first]) * 256 + static_cast<std::uint8_t>(withStart[p.second])];
                std::size_t failed = 0, lost = 0;
                const std::u32string back = mojibake::DecodeCharacters(bytes, written, failed, lost);
                const auto opening = std::find_if(back.begin(), back.end(), [](char32_t c) {
                    const mojibake::Trait t = mojibake::TraitOf(c);
                    return t.letter || t.digit;
                });
                const mojibake::Trait start = mojibake::TraitOf(opening == back.end() ? U' ' : *opening);
                const bool smallStart = start.high && start.letter && start.letterClass.letterCase == kLowerCase;
                const mojibake::Judgement judged = mojibake::Judge(back);
                const double fromPairs = static_cast<double>(pairs) / kLogProbabilityUnit -
                                         kVariantLetterCost * static_cast<double>(judged.variants) -
                                         (smallStart ? mojibake::kLowerStartCost : 0);
                // A capital after a capital may cost more than its pair says (a run of capitals is
                // judged as a whole): the pairs are then a bound above the judgement.
                const bool capitalRun = std::adjacent_find(back.begin(), back.end(), [](char32_t a, char32_t b) {
                                            return mojibake::TraitOf(a).letterClass.letterCase == kUpperCase &&
                                                   mojibake::TraitOf(b).letterClass.letterCase == kUpperCase;
                                        }) != back.end();
                if (capitalRun)
                    ASSERT_LE(judged.score, fromPairs + 1e-9)
                        << testing::PrintToString(bytes) << ' ' << RepairEncodingName(readAs) << ' ' << RepairEncodingName(written);
                else
                    ASSERT_NEAR(fromPairs, judged.score, 1e-9)
                        << testing::PrintToString(bytes) << ' ' << RepairEncodingName(readAs) << ' ' << RepairEncodingName(written);
            }
        }
    }
}
