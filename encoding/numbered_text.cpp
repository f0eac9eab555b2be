#include "encoding/numbered_text.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <unordered_map>

#include "base/thread_own.h"
#include "encoding/mojibake_charts.h"
#include "encoding/russian_judgement.h"

namespace mojibake {

namespace {

constexpr std::uint32_t kNew = UINT32_MAX;
// A text of more different characters than this is no Russian text: its undoings are walked.
constexpr std::size_t kMostPaired = 1024;

constexpr RepairEncoding kCyrillic[] = {RepairEncoding::Cp1251, RepairEncoding::Koi8R, RepairEncoding::Cp866,
                                        RepairEncoding::Iso8859_5, RepairEncoding::MacCyrillic};

// A text is numbered for every suspect line, so its tables outlive it, one set a thread, and are put
// back as they were after each text.
struct NumberingTables {
    // Where each pair of numbers is among the pairs, less one; zero again after each text, which
    // comes cheaper than a new table for each of the many short lines searched. Two bytes a slot
    // keep the table of a paragraph in the nearest cache.
    std::vector<std::uint16_t> pairSlots;
    // The numbers of the common characters and of the signs of typography, kNew where unnumbered.
    std::vector<std::uint32_t> known = std::vector<std::uint32_t>(kCommonCharacters + kSigns, kNew);
    std::unordered_map<char32_t, std::uint32_t> others;
};

NumberingTables& Tables() {
    static ThreadOwn<NumberingTables> tables;
    return tables.Get();
}

void CountPairs(NumberedText& t, std::vector<std::uint16_t>& table) {
    t.pairs.clear();
    t.paired = false;
    const std::size_t side = t.distinct.size() + 1;  // the last number is the start
    if (side > kMostPaired) return;
    if (table.size() < side * side) table.assign(side * side, 0);
    std::uint16_t* const slots = table.data();
    std::uint32_t previous = static_cast<std::uint32_t>(t.distinct.size());
    bool previousHigh = false;
    bool full = false;
    for (std::uint32_t id : t.ids) {
        const bool high = t.distinct[id] >= 0x80;
        if (high || previousHigh) {
            std::uint16_t& slot = slots[previous * side + id];
            if (slot == 0) {
                if (t.pairs.size() == UINT16_MAX) {
                    full = true;
                    break;
                }
                t.pairs.push_back({previous, id, 0});
                slot = static_cast<std::uint16_t>(t.pairs.size());
            }
            ++t.pairs[slot - 1u].count;
        }
        previous = id;
        previousHigh = high;
    }
    for (const NumberedText::Pair& p : t.pairs) slots[p.first * side + p.second] = 0;
    if (full) {
        t.pairs.clear();
        return;
    }
    t.paired = true;
    // The pairs met more than once first: a bound summed over them falls fastest.
    std::stable_partition(t.pairs.begin(), t.pairs.end(), [](const NumberedText::Pair& p) { return p.count > 1; });
}

}  // namespace

void NumberText(std::u32string_view text, NumberedText& into) {
    into.distinct.clear();
    into.count.clear();
    into.ids.clear();
    NumberingTables& tables = Tables();
    std::uint32_t* const known = tables.known.data();
    std::unordered_map<char32_t, std::uint32_t>& others = tables.others;
    auto knownOf = [known](char32_t c) -> std::uint32_t* {
        if (c < kCommonCharacters) return &known[c];
        if (c - kFirstSign < kSigns) return &known[kCommonCharacters + (c - kFirstSign)];
        return nullptr;
    };
    others.clear();
    into.ids.reserve(text.size());
    for (char32_t c : text) {
        std::uint32_t* const number = knownOf(c);
        std::uint32_t& id = number ? *number : others.try_emplace(c, kNew).first->second;
        if (id == kNew) {
            id = static_cast<std::uint32_t>(into.distinct.size());
            into.distinct.push_back(c);
            into.count.push_back(0);
        }
        ++into.count[id];
        into.ids.push_back(id);
    }
    for (char32_t c : into.distinct)
        if (std::uint32_t* k = knownOf(c)) *k = kNew;
    CountPairs(into, tables.pairSlots);
}

std::size_t EncodeDistinct(const NumberedText& numbered, RepairEncoding encoding, std::size_t mostFailed, std::string& into) {
    const ByteChart& chart = ChartTables(encoding);
    std::size_t failed = 0;
    into.resize(numbered.distinct.size() + 1);
    into.back() = ' ';
    for (std::size_t k = 0; k < numbered.distinct.size(); ++k) {
        const char32_t c = numbered.distinct[k];
        const int b = c < 0x10000 ? chart.byte[c] : -1;
        if (b < 0 && c != 0xFFFD && (failed += numbered.count[k]) > mostFailed) break;
        into[k] = static_cast<char>(b < 0 ? '?' : b);
    }
    return failed;
}

bool KeepsAscii(RepairEncoding e) {
    static const std::array<bool, kRepairEncodingCount> keeps = [] {
        std::array<bool, kRepairEncodingCount> k{};
        for (int e = 0; e < kRepairEncodingCount; ++e) {
            if (!IsSingleByte(static_cast<RepairEncoding>(e))) continue;
            const ByteChart& chart = ChartTables(static_cast<RepairEncoding>(e));
            k[e] = true;
            for (char32_t c = 0; c < 0x80; ++c)
                if (chart.byte[c] != static_cast<std::int16_t>(c) || chart.character[c] != c) k[e] = false;
        }
        return k;
    }();
    return keeps[static_cast<std::size_t>(e)];
}

const RussianPairTable& RussianPairTableOf(RepairEncoding cyrillic) {
    // On the heap, and not cleared first (every score is written): 640 KB is more than a thread's stack
    // should hold.
    static const auto tables = [] {
        auto all = std::make_unique_for_overwrite<std::array<RussianPairTable, std::size(kCyrillic)>>();
        std::array<RussianPairTable, std::size(kCyrillic)>& t = *all;
        for (std::size_t e = 0; e < std::size(kCyrillic); ++e) {
            t[e].neverRises = true;
            const ByteChart& chart = ChartTables(kCyrillic[e]);
            std::array<Trait, 256> traits;
            for (int b = 0; b < 256; ++b) traits[b] = TraitOf(chart.character[b]);
            for (int a = 0; a < 256; ++a)
                for (int b = 0; b < 256; ++b) {
                    std::int16_t& score = t[e].score[a * 256 + b];
                    score = static_cast<std::int16_t>(
                        traits[a].high || traits[b].high ? PairLogProbability(traits[a].letterClass, traits[b].letterClass) : 0);
                    if (score > 0) t[e].neverRises = false;
                }
        }
        return all;
    }();
    const auto at = std::find(std::begin(kCyrillic), std::end(kCyrillic), cyrillic);
    return (*tables)[static_cast<std::size_t>(at - std::begin(kCyrillic))];
}

}  // namespace mojibake
