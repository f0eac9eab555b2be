#pragma once
// The tree the repair search grows (mojibake_search.h), each node a reading of the text and each
// child one mis-reading of it undone, and the verdict that weighs the nodes against the text as it is.
#include <cstddef>
#include <string>
#include <vector>

#include "encoding/misreading.h"
#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_shape.h"
#include "encoding/russian_judgement.h"

namespace mojibake::tree {

// The Russian verdict, in nats: a chain of Cyrillic readings must beat the text as it is by
// kCleanMargin and each step beyond the first by kStepCost more; one that beats it by less but by
// more than kUnsureMargin cannot be told; two that give different texts must be kAmbiguityMargin
// apart. A character a reading lacks costs kFailureCost, one lost on the way kLostCost.
inline constexpr double kCleanMargin = 8.0;
inline constexpr double kStepCost = 4.0;
inline constexpr double kUnsureMargin = 3.0;
inline constexpr double kAmbiguityMargin = 2.0;
inline constexpr double kFailureCost = 20.0;
inline constexpr double kLostCost = 1.0;
inline constexpr std::size_t kFailureShare = 16;
inline constexpr double kCleanVariantCost = 1.0;
// A Cyrillic undoing gives Russian words: this many letters at least, so that a few accented
// letters of a short foreign line ("i à è ì") never pass for a Russian word or two.
inline constexpr std::size_t kRussianLetters = 8;

// The shape verdict (mojibake_shape.h): an undoing by UTF-8 or UTF-16 must cost this much less
// than the text it undoes, and a rival this close to it makes the text one that cannot be told.
inline constexpr double kShapeMargin = 3.0;
inline constexpr double kShapeAmbiguity = 1.0;
inline constexpr double kRarerReadingCost = 0.05;
// A layer more is undone only when what it gives reads better by this much.
inline constexpr double kStepShape = 0.5;
// A text in capitals whose words the statistics do not know (a Belarusian heading with its Ў and І)
// reads better in small letters, and readings can give it so ("1251 read as mac, saved as iso; then
// iso read as 1251" turns capitals into small ones). What gives most letters of a reading of the text
// back as themselves in the other case must look plainly better than that reading (by kCaseMend in
// shape) to be a repair: a text damaged so (866 read as 1251, saved as iso) is full of signs and
// '?' as it is.
inline constexpr double kCaseMend = 1.0;
// What a Russian undoing of a UTF-8 text gains, in nats, for each unit of its shape's misfits it mends.
inline constexpr double kShapeNat = 1.0;

// Russian text's pairs fit the statistics within about a nat of what they expect; Cyrillic letters in
// the order of another language, or of a wrong reading, two nats and more below.
inline constexpr double kRussianFit = -1.7;

// A lossy chain of two layers (1251 read as 866 and saved as 1251, its capitals lost; then read as
// KOI8-R) gives a first undoing that reads no better as Russian than the damage, only calmer: its
// misfits cost a fraction of the text's (kDetourCalm times less at least). From a text that looks
// plainly damaged (shape kDetourShape and more) and reads as no Russian, such an undoing is kept and
// searched further, though it reads worse (by kDetourFit a pair at most), as a detour; what is found
// through it must read kDetourGain a pair better than the text as it is (a Hebrew text in 1255 pairs
// as Russian nearly does, and two undoings more read a little better).
inline constexpr double kDetourShape = 12.0;
inline constexpr double kDetourCalm = 2.0;
inline constexpr double kDetourFit = -1.2;
inline constexpr double kDetourGain = 2.0;

enum class StepKind { None, Wide, Russian };

struct Node {
    MisreadingChain chain;
    std::u32string text;
    std::size_t failed = 0, lost = 0;
    // A text as it is is judged only when its score is asked for: where no Russian undoing can be
    // taken from it (half of what the pieces search), nothing asks.
    mutable Judgement russian;
    mutable bool judged = true;
    mutable std::size_t variantsAtCapitals = 0;  // of a text as it is
    mutable double jotCredit = 0;
    Shape shape;
    StepKind step = StepKind::None;
    int parent = -1;
    int readingRank = 0;
    std::size_t hash = 0;
    std::vector<int> children;
    bool detour = false;  // searched for the shape it mends, not for how it reads (kDetourCalm)

    double RussianScore() const {
        if (!judged) {
            russian = Judge(text);
            variantsAtCapitals = russian.variants > 0 ? VariantsAtCapitals(text) : 0;
            jotCredit = russian.variants > 0 && chain.length == 0 ? JotCredit(text) : 0;
            judged = true;
        }
        // A text as it is with Ukrainian, Belarusian, Serbian or Macedonian letters is such a text:
        // they cost it little; in what an undoing gives they are the capitals of a wrong reading, and
        // so they are in a text that has them only where capitals would stand.
        const double variants = chain.length == 0 && variantsAtCapitals < russian.variants
                                    ? (kVariantLetterCost - kCleanVariantCost) * static_cast<double>(russian.variants) : 0;
        return russian.score + variants + jotCredit - kFailureCost * static_cast<double>(failed) -
               kLostCost * static_cast<double>(lost) - kStepCost * chain.length;
    }
    double ShapeCost() const { return shape.cost + kRarerReadingCost * readingRank; }
};

inline bool IsWide(RepairEncoding e) { return !IsSingleByte(e); }
inline bool FewWriteIn(RepairEncoding e) { return e == RepairEncoding::Iso8859_5 || e == RepairEncoding::MacCyrillic; }
inline bool LatinText(const Node& n) { return LatinText(n.shape); }
// Russian words that pair as Russian does, however the rest of the text reads.
inline bool HoldsRussian(const Node& n) {
    n.RussianScore();  // judges the text, where that was put off
    return ReadsAsRussian(n.russian) && n.russian.letters >= kRussianLetters && n.russian.fit >= kRussianFit &&
           HasRussianPairs(n.text, kRussianLetters);
}

// The verdict on the nodes grown from `roots`: the chain to undo, the text clean as the best root
// reads it, or unknown with the rivals. `viewReading` as for SearchMisreadings.
RepairFinding Weigh(const std::vector<Node>& nodes, const std::vector<int>& roots, bool viewReading);

}  // namespace mojibake::tree
