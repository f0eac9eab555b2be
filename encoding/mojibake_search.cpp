#include "encoding/mojibake_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "base/thread_own.h"
#include "encoding/encoding_detection.h"
#include "encoding/letter_classes.h"
#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_shape.h"
#include "encoding/numbered_text.h"
#include "encoding/russian_judgement.h"
#include "encoding/russian_expectation.h"
#include "encoding/russian_letter_statistics.h"

namespace {

using namespace mojibake;
using Text = std::u32string;

// Every reading a text can have gone through, the usual culprits first: among undoings that give the
// same text the first names the chain, and a rarer reading costs a little more.
constexpr RepairEncoding kReadings[] = {
    RepairEncoding::Cp1251,  RepairEncoding::Western,   RepairEncoding::Koi8R,     RepairEncoding::Cp866,
    RepairEncoding::MacCyrillic, RepairEncoding::Iso8859_5, RepairEncoding::Cp437, RepairEncoding::Cp850,
    RepairEncoding::MacRoman, RepairEncoding::Cp1250,   RepairEncoding::Cp852,     RepairEncoding::Iso8859_2,
    RepairEncoding::Cp1253,  RepairEncoding::Iso8859_7, RepairEncoding::Cp1254,    RepairEncoding::Cp1257,
    RepairEncoding::Cp1256,  RepairEncoding::Cp1255,    RepairEncoding::Cp1258,    RepairEncoding::Cp874,
    RepairEncoding::Koi8U,
};
// The single-byte encodings Russian text is written in, judged by the letter statistics.
constexpr RepairEncoding kCyrillic[] = {RepairEncoding::Cp1251, RepairEncoding::Koi8R, RepairEncoding::Cp866,
                                        RepairEncoding::Iso8859_5, RepairEncoding::MacCyrillic};
// The readings through which Russian single-byte text turns into other single-byte text.
constexpr int kRussianReadings = 10;

// The Russian verdict, in nats: a chain of Cyrillic readings must beat the text as it is by
// kCleanMargin and each step beyond the first by kStepCost more; one that beats it by less but by
// more than kUnsureMargin cannot be told; two that give different texts must be kAmbiguityMargin
// apart. A character a reading lacks costs kFailureCost, one lost on the way kLostCost.
constexpr double kCleanMargin = 8.0;
constexpr double kStepCost = 4.0;
constexpr double kUnsureMargin = 3.0;
constexpr double kAmbiguityMargin = 2.0;
constexpr double kFailureCost = 20.0;
constexpr double kLostCost = 1.0;
constexpr std::size_t kFailureShare = 16;
constexpr double kCleanVariantCost = 1.0;
// A Cyrillic undoing gives Russian words: this many letters at least, so that a few accented
// letters of a short foreign line ("i à è ì") never pass for a Russian word or two.
constexpr std::size_t kRussianLetters = 8;

// The shape verdict (mojibake_shape.h): an undoing by UTF-8 or UTF-16 must cost this much less
// than the text it undoes, and a rival this close to it makes the text one that cannot be told.
constexpr double kShapeMargin = 3.0;
constexpr double kShapeAmbiguity = 1.0;
constexpr double kRarerReadingCost = 0.05;
// A layer more is undone only when what it gives reads better by this much.
constexpr double kStepShape = 0.5;
// A text in capitals whose words the statistics do not know (a Belarusian heading with its Ў and І)
// reads better in small letters, and readings can give it so ("1251 read as mac, saved as iso; then
// iso read as 1251" turns capitals into small ones). What gives most letters of a reading of the text
// back as themselves in the other case must look plainly better than that reading (by kCaseMend in
// shape) to be a repair: a text damaged so (866 read as 1251, saved as iso) is full of signs and
// '?' as it is.
constexpr double kCaseMend = 1.0;
// What a Russian undoing gains, in nats, for each unit of misfits of symbols beside letters it mends.
constexpr double kSignNat = 1.0;

// Russian text's pairs fit the statistics within about a nat of what they expect; Cyrillic letters in
// the order of another language, or of a wrong reading, two nats and more below.
constexpr double kRussianFit = -1.7;

enum class StepKind { None, Wide, Russian };

// One search at a time a thread: what it numbers and writes out, kept for the next.
struct SearchScratch {
    NumberedText numbered;
    std::vector<Trait> traits;
    std::string byteOf, bytes;
};

SearchScratch& Scratch() {
    static ThreadOwn<SearchScratch> scratch;
    return scratch.Get();
}

struct Node {
    MisreadingChain chain;
    Text text;
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

bool IsWide(RepairEncoding e) { return !IsSingleByte(e); }
bool FewWriteIn(RepairEncoding e) { return e == RepairEncoding::Iso8859_5 || e == RepairEncoding::MacCyrillic; }
bool LatinText(const Node& n) { return LatinText(n.shape); }
// Russian words that pair as Russian does, however the rest of the text reads.
bool HoldsRussian(const Node& n) {
    n.RussianScore();  // judges the text, where that was put off
    return ReadsAsRussian(n.russian) && n.russian.letters >= kRussianLetters && n.russian.fit >= kRussianFit &&
           HasRussianPairs(n.text, kRussianLetters);
}

int RussianSteps(const MisreadingChain& chain) {
    return static_cast<int>(std::count_if(chain.steps, chain.steps + chain.length,
                                          [](const Misreading& m) { return IsSingleByte(m.written); }));
}

class Search {
public:
    explicit Search(bool viewReading) : viewReading_(viewReading) { nodes_.reserve(64); }

    int AddRoot(const SearchRoot& root) {
        Node n;
        n.chain.now = root.now;
        n.chain.references = root.references;
        n.text = root.text;
        n.failed = root.failed;
        n.lost = root.lost;
        return Add(std::move(n), true, root.shape ? &*root.shape : nullptr);
    }

    // Undoes each reading that can have happened last to node `at`, and so on down.
    void Expand(int at) {
        if (nodes_[at].chain.length >= kMostMisreadings) return;
        // Few: a list is quicker to ask than a set is to build.
        std::vector<std::size_t> bytesSeen;
        bytesSeen.reserve(std::size(kReadings));
        // What may be tried from here: a reading that can give neither kind of step is not written
        // (nor can it keep a later, rarer reading out by its bytes: that one gives no step either).
        const bool root = nodes_[at].parent < 0;
        const bool wideSteps = !root || WideMayBeTaken(at);
        const bool russianSteps = RussianSteps(nodes_[at].chain) < 2 && (!root || russianFromRoots_);
        for (int rank = 0; rank < static_cast<int>(std::size(kReadings)); ++rank) {
            if (!wideSteps && (!russianSteps || rank >= kRussianReadings)) continue;
            const RepairEncoding readAs = kReadings[rank];
            const Node& node = nodes_[at];
            const RepairEncoding savedAs = node.chain.Original();
            // Saving what was read in the encoding it was read in gives back the very bytes, unless
            // the reading is the view's own.
            if (readAs == savedAs && !(node.chain.length == 0 && viewReading_)) continue;
            // The text in `readAs`, each of its characters encoded once, as EncodeCharacters writes it
            // (what the reading lacks becomes '?'); the characters lost before are counted already.
            const std::size_t mostFailed = std::max<std::size_t>(node.shape.beyondAscii, 1) / kFailureShare;
            const NumberedText& numbered = NumberedOf(at);
            const std::size_t failed = EncodeDistinct(numbered, readAs, mostFailed, byteOf_);
            if (failed > mostFailed) continue;
            // Two readings that write every character alike write the same bytes.
            const std::size_t bytesHash = std::hash<std::string>()(byteOf_);
            if (std::find(bytesSeen.begin(), bytesSeen.end(), bytesHash) != bytesSeen.end()) continue;
            bytesSeen.push_back(bytesHash);
            // The bytes written out only for a step that is tried.
            bool written = false;
            auto bytes = [&]() -> const std::string& {
                if (!written) {
                    bytes_.resize(numbered.ids.size());
                    for (std::size_t i = 0; i < numbered.ids.size(); ++i) bytes_[i] = byteOf_[numbered.ids[i]];
                    written = true;
                }
                return bytes_;
            };
            if (wideSteps)
                for (RepairEncoding wide : {RepairEncoding::Utf8, RepairEncoding::Utf16LE, RepairEncoding::Utf16BE})
                    if (WideMayStart(at, wide, numbered)) TryStep(at, readAs, rank, wide, bytes(), failed);
            if (!russianSteps || rank >= kRussianReadings) continue;
            for (RepairEncoding cyrillic : kCyrillic)
                if (cyrillic != readAs && (!root || MayReadBetter(at, readAs, cyrillic, failed)))
                    TryStep(at, readAs, rank, cyrillic, bytes(), failed);
        }
        // Deeper: every undoing by UTF-8 or UTF-16 (few pass), and the likeliest Russian ones.
        std::vector<int> russian;
        const std::vector<int> children = nodes_[at].children;
        for (int child : children) {
            if (nodes_[child].step == StepKind::Wide)
                Expand(child);
            else if (nodes_[child].RussianScore() > nodes_[at].RussianScore())
                russian.push_back(child);
        }
        std::sort(russian.begin(), russian.end(),
                  [&](int a, int b) { return nodes_[a].RussianScore() > nodes_[b].RussianScore(); });
        if (russian.size() > 4) russian.resize(4);
        for (int child : russian) Expand(child);
    }

    RepairFinding Verdict(const std::vector<int>& roots) const;

    // Whether an undoing by UTF-8 or UTF-16 of root `r` can be taken, as the verdict takes one: it must
    // read kShapeMargin better than the root, which a root whose misfits cost less cannot; a file in
    // a code page is undone by the Russian statistics alone, and a text that is not UTF-8 read as
    // UTF-8 is no text to undo.
    bool WideMayBeTaken(int r) const {
        const Node& n = nodes_[r];
        return n.shape.cost >= kShapeMargin && (viewReading_ || n.chain.now == RepairEncoding::Utf8) &&
               n.failed * kFailureShare <= std::max<std::size_t>(n.shape.beyondAscii, 1);
    }

    // A Russian undoing is taken only when it gives Russian words, kRussianLetters letters at least,
    // each where the text it undoes has a character beyond ASCII (the code pages undone keep ASCII as
    // it is), and never from Latin text with its few accented letters. Where no root can give one,
    // none of their Russian undoings can be taken, nor make one of the others' lose.
    void LookForRussianFromRoots(const std::vector<int>& roots) {
        russianFromRoots_ = std::any_of(roots.begin(), roots.end(), [&](int r) {
            return !LatinText(nodes_[r]) && HasHighCharacters(nodes_[r].text, kRussianLetters);
        });
        // Nor from a text that reads as right Russian, no capital a small letter's neighbour: every
        // Cyrillic undoing puts its letters out of order. Most suspect lines of a clean text are such.
        if (!russianFromRoots_) return;
        static const double capitalInWord = MisfitBetween(U'\u0430', U'\u042F');
        int best = roots.front();
        for (int r : roots)
            if (nodes_[r].RussianScore() > nodes_[best].RussianScore()) best = r;
        const Node& n = nodes_[best];
        russianFromRoots_ = n.failed > 0 || n.lost > 0 || n.shape.signs > 0 ||
                            n.shape.cost >= capitalInWord || !ReadsAsRightRussian(n.russian, n.text, kRussianLetters, kRussianFit);
    }

    // Whether no undoing can be taken whatever the search finds, as the verdict judges.
    bool NothingToUndo(const std::vector<int>& roots) const {
        return std::none_of(roots.begin(), roots.end(), [&](int r) { return MayBeUndone(nodes_[r].shape); });
    }

private:
    const NumberedText& NumberedOf(int at) {
        if (numberedNode_ != at) NumberText(nodes_[at].text, numbered_);
        numberedNode_ = at;
        return numbered_;
    }

    // Whether the first Russian undoing of root `at` by the reading whose byte for each of the root's
    // characters is in byteOf_ (its encoding having failed at `failed` characters), and writing
    // `written`, reads better as Russian than the root: only then does Add keep it. Most do not, so
    // each of the root's characters is undone once and the undoing judged as Add would judge the
    // text written out.
    bool MayReadBetter(int at, RepairEncoding readAs, RepairEncoding written, std::size_t failed) {
        const NumberedText& numbered = NumberedOf(at);
        const Node& root = nodes_[at];
        Node child;
        child.chain.length = root.chain.length + 1;
        child.failed = root.failed + failed;
        child.lost = root.lost;
        const double parent = root.RussianScore();
        const double penalty = child.RussianScore() - child.russian.score;
        // The pairs alone: what the judgement adds beside them (other alphabets' letters, sentences
        // that start small) only takes off, so an undoing whose pairs score no better than the root
        // reads no better, and most are told so without a walk over the text.
        // The commonest pairs come first; where no pair raises the score, the sum so far is such a
        // bound too, and is looked at as it goes.
        if (numbered.paired && KeepsAscii(readAs) && KeepsAscii(written)) {
            const RussianPairTable& table = RussianPairTableOf(written);
            const auto* byte = reinterpret_cast<const std::uint8_t*>(byteOf_.data());
            std::int64_t pairs = 0;
            const std::size_t count = numbered.pairs.size();
            for (std::size_t i = 0; i < count; ++i) {
                const NumberedText::Pair& p = numbered.pairs[i];
                pairs += static_cast<std::int64_t>(p.count) * table.score[byte[p.first] * 256 + byte[p.second]];
                if (table.neverRises && (i & 15) == 15) {
                    child.russian.score = static_cast<double>(pairs) / kLogProbabilityUnit;
                    if (child.RussianScore() <= parent) return false;
                }
            }
            child.russian.score = static_cast<double>(pairs) / kLogProbabilityUnit;
            if (child.RussianScore() <= parent) return false;
        }
        const ByteChart& to = ChartTables(written);
        traits_.resize(numbered.distinct.size());
        Traits traits;
        // As DecodeCharacters reads the byte back.
        for (std::size_t k = 0; k < numbered.distinct.size(); ++k)
            traits_[k] = traits.Of(to.character[static_cast<std::uint8_t>(byteOf_[k])]);
        bool cut = false;
        child.russian = JudgeBy(numbered.ids.size(), [&](std::size_t i) -> const Trait& { return traits_[numbered.ids[i]]; },
                                parent - penalty - 1e-9, &cut);
        return !cut && child.RussianScore() > parent;
    }

    // Whether an undoing by `wide` can be taken, asked of the numbered characters of node `at` before
    // their bytes (in byteOf_) are written out: most readings of a text meet a byte that is no UTF-8
    // at once.
    bool WideMayStart(int at, RepairEncoding wide, const NumberedText& numbered) const {
        const Node& node = nodes_[at];
        // UTF-16 read as a code page shows controls between the letters; the reading changed some of
        // its bytes (UTF-16 of ASCII bytes alone comes back the same and is no damage).
        if (IsUtf16(wide))
            return numbered.ids.size() % 2 == 0 && node.shape.controls * 8 >= node.text.size() && node.shape.beyondAscii > 0;
        const std::size_t n = numbered.ids.size();
        std::size_t i = 0;
        while (i < n && static_cast<std::uint8_t>(byteOf_[numbered.ids[i]]) < 0x80) ++i;
        if (i == n) return true;
        // A sequence is told by its first four bytes at most, as the whole text's decoding tells it.
        std::uint8_t window[4];
        std::size_t length = 0;
        for (; length < 4 && i + length < n; ++length) window[length] = static_cast<std::uint8_t>(byteOf_[numbered.ids[i + length]]);
        return DecodeUtf8(window, window + length).kind != Decoded::Malformed;
    }

    void TryStep(int at, RepairEncoding readAs, int rank, RepairEncoding written, const std::string& bytes, std::size_t failed) {
        // Most readings of a text meet a byte that is no UTF-8 at once: no need to decode the rest.
        if (written == RepairEncoding::Utf8 && !WellFormedUtf8(bytes)) return;
        std::size_t malformed = 0, lost = 0;
        Node n;
        n.text = DecodeCharacters(bytes, written, malformed, lost);
        if (IsWide(written)) {
            // Well-formed throughout, with characters beyond ASCII: what no chance gives.
            if (malformed > 0) return;
            if (std::all_of(n.text.begin(), n.text.end(), [](char32_t c) { return c < 0x80 || c == 0xFFFD; })) return;
            // UTF-16 is a whole file's encoding: not of bytes that are no UTF-16 (mojibake_charts.h), nor
            // of a text that holds Russian, as one with a paragraph pasted from a UTF-16 file does.
            if (IsUtf16(written) && (NoUtf16(bytes, n.text) || HoldsRussian(nodes_[at]))) return;
        }
        // UTF-16's byte order mark at the text's start is no character of the text.
        if (IsUtf16(written) && !n.text.empty() && n.text.front() == 0xFEFF) n.text.erase(0, 1);
        const Node& node = nodes_[at];
        n.chain = node.chain;
        n.chain.length = node.chain.length + 1;
        std::copy(node.chain.steps, node.chain.steps + node.chain.length, n.chain.steps + 1);
        n.chain.steps[0] = {written, readAs, node.chain.Original()};
        n.failed = node.failed + failed + malformed;
        n.lost = node.lost + lost;
        n.step = IsWide(written) ? StepKind::Wide : StepKind::Russian;
        n.parent = at;
        n.readingRank = node.readingRank + rank;
        Add(std::move(n), false);
    }

    int Add(Node n, bool root, const Shape* shape = nullptr) {
        n.hash = std::hash<std::u32string_view>()(n.text);
        const bool seen = std::find(seen_.begin(), seen_.end(), n.hash) != seen_.end();
        if (!seen) seen_.push_back(n.hash);
        if (seen && !root) return -1;
        // A first Russian undoing of a text as it is that reads no better as Russian than that text is
        // not searched further, and cannot be taken or be a rival to what is (which must read better
        // than the best text as it is by more than a rival may fall short of it): no need to keep it,
        // nor to judge it to its end.
        if (n.step == StepKind::Russian && nodes_[n.parent].parent < 0) {
            const double parent = nodes_[n.parent].RussianScore();
            bool cut = false;
            // What the chain's failures and steps take off, known before the text is judged; a hair
            // below the floor, so that rounding never cuts what the whole judgement would keep.
            const double penalty = n.RussianScore() - n.russian.score;
            n.russian = Judge(n.text, parent - penalty - 1e-9, &cut);
            if (cut || n.RussianScore() <= parent) return -1;
        } else if (root) {
            n.judged = false;
        } else {
            n.russian = Judge(n.text);
        }
        n.shape = shape ? *shape : ShapeOf(n.text);
        nodes_.push_back(std::move(n));
        const int at = static_cast<int>(nodes_.size()) - 1;
        if (nodes_[at].parent >= 0) nodes_[nodes_[at].parent].children.push_back(at);
        return at;
    }

    struct Step {
        int node = -1;
        RepairFinding::Kind kind = RepairFinding::Kind::Clean;
        std::vector<int> rivals;
    };
    Step WideStep(int at) const;
    int BestBelow(int at) const;
    Step RussianStep(const std::vector<int>& from) const;
    void RussianDescendants(int at, std::vector<int>& out) const;
    int Before(int at) const;

    bool viewReading_;
    std::vector<Node> nodes_;
    std::vector<std::size_t> seen_;  // the texts' hashes: a search holds a few dozen
    // A search is made for every suspect line: what it numbers and writes is kept for the next.
    NumberedText& numbered_ = Scratch().numbered;
    int numberedNode_ = -1;
    std::vector<Trait>& traits_ = Scratch().traits;
    std::string& byteOf_ = Scratch().byteOf;
    std::string& bytes_ = Scratch().bytes;
    bool russianFromRoots_ = true;
};

// The node that reads best of `at` and what undoing by UTF-8 or UTF-16 gives below it: a layer
// undone may read no better than the one above it ("Г©" for "Ð“Â©") until the next is undone too.
int Search::BestBelow(int at) const {
    int best = at;
    for (int c : nodes_[at].children) {
        if (nodes_[c].step != StepKind::Wide || nodes_[c].failed > nodes_[at].failed) continue;
        const int below = BestBelow(c);
        if (nodes_[below].ShapeCost() + kStepShape < nodes_[best].ShapeCost()) best = below;
    }
    return best;
}

// The undoing by UTF-8 or UTF-16 of node `at` that leads to the text that reads best, when that
// reads clearly better than the text it undoes.
Search::Step Search::WideStep(int at) const {
    const Node& from = nodes_[at];
    Step step;
    int bestEnd = -1;
    std::vector<std::pair<int, int>> eligible;  // child, the best below it
    for (int c : from.children) {
        const Node& n = nodes_[c];
        if (n.step != StepKind::Wide || n.failed > from.failed) continue;
        const int end = BestBelow(c);
        if (nodes_[end].ShapeCost() + kShapeMargin > from.shape.cost) continue;
        eligible.push_back({c, end});
        if (bestEnd < 0 || nodes_[end].ShapeCost() < nodes_[bestEnd].ShapeCost()) step.node = c, bestEnd = end;
    }
    if (step.node < 0) return step;
    const Node& best = nodes_[bestEnd];
    for (const auto& [c, end] : eligible) {
        const Node& n = nodes_[end];
        if (c == step.node || n.hash == best.hash || n.ShapeCost() > best.ShapeCost() + kShapeAmbiguity) continue;
        // Two Russian texts: the letter statistics tell them apart.
        if (ReadsAsRussian(best.russian) && best.RussianScore() >= n.RussianScore() + kAmbiguityMargin) continue;
        step.rivals.push_back(end);
    }
    step.kind = step.rivals.empty() ? RepairFinding::Kind::Repair : RepairFinding::Kind::Unknown;
    if (!step.rivals.empty()) step.rivals.insert(step.rivals.begin(), bestEnd);
    return step;
}

// The text the Cyrillic readings that end in node `at` start from.
int Search::Before(int at) const {
    while (nodes_[at].parent >= 0 && nodes_[nodes_[at].parent].step == StepKind::Russian) at = nodes_[at].parent;
    return nodes_[at].parent;
}

void Search::RussianDescendants(int at, std::vector<int>& out) const {
    for (int c : nodes_[at].children)
        if (nodes_[c].step == StepKind::Russian) {
            out.push_back(c);
            RussianDescendants(c, out);
        }
}

// The undoing by Cyrillic readings of one of the texts `from` (its readings now) that reads best as
// Russian, when it reads clearly better than the best of them.
Search::Step Search::RussianStep(const std::vector<int>& from) const {
    Step step;
    std::vector<int> all;
    for (int f : from) RussianDescendants(f, all);
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](int c) {
                                 return std::any_of(from.begin(), from.end(), [&](int f) {
                                     return nodes_[c].shape.cost + kCaseMend > nodes_[f].shape.cost &&
                                            MostlyCaseChanged(nodes_[f].text, nodes_[c].text);
                                 });
                             }),
              all.end());
    int best = -1;
    for (int c : all)
        if (best < 0 || nodes_[c].RussianScore() > nodes_[best].RussianScore()) best = c;
    if (best < 0) return step;
    // Of undoings that read alike, one into a text first written in ISO 8859-5 or Mac Cyrillic, which
    // few write in today, where it has signs that another has letters for ("нынче € бы" for "нынче я
    // бы"), is the guess that needs more: the other is taken, and it is no rival.
    auto rare = [&](int c) { return FewWriteIn(nodes_[c].chain.Original()); };
    auto near = [&](int c, int to) { return nodes_[c].RussianScore() > nodes_[to].RussianScore() - kAmbiguityMargin; };
    auto signs = [&](int c, int of) { return rare(c) && !rare(of) && LettersWhereOtherHasNone(nodes_[of].text, nodes_[c].text); };
    int common = -1;
    for (int c : all)
        if (signs(best, c) && near(c, best) && nodes_[c].chain.length <= nodes_[best].chain.length &&
            (common < 0 || nodes_[c].RussianScore() > nodes_[common].RussianScore()))
            common = c;
    if (common >= 0) best = common;
    int clean = from.front();
    for (std::size_t i = 1; i < from.size(); ++i)
        if (nodes_[from[i]].RussianScore() > nodes_[clean].RussianScore()) clean = from[i];
    const Node& b = nodes_[best];
    const Node& root = nodes_[clean];
    int origin = best;
    while (nodes_[origin].parent >= 0 && nodes_[nodes_[origin].parent].step == StepKind::Russian) origin = nodes_[origin].parent;
    const Node& before = nodes_[Before(best)];
    const bool russian = ReadsAsRussian(b.russian) && b.russian.letters >= kRussianLetters && b.russian.fit >= kRussianFit &&
                         (ChangesEnough(b.text, before.text) || b.shape.cost < before.shape.cost) &&
                         MakesWords(b.text, b.russian.letters, before.text, root.text);
    // The text as it is must look like no right text of its own: not uglier once undone, and not
    // Latin text with its few accented letters.
    const bool fits = russian && !LatinText(before) && b.shape.cost <= before.shape.cost + 2;
    // Taking the text to be in another code page than the one it reads best in is one more guess.
    int start = origin;
    while (nodes_[start].parent >= 0) start = nodes_[start].parent;
    // So is a file in ISO 8859-5 or Mac Cyrillic: few are written in them today.
    const RepairEncoding now = nodes_[start].chain.now;
    const double margin = (start == clean ? 0 : kStepCost) + (!viewReading_ && FewWriteIn(now) ? kStepCost : 0);
    // Symbols beside letters that the undoing takes away ("называетс€", "≈сли") are evidence of their
    // own in a UTF-8 text; one read in a code page may be in a kin of it (KOI8-U as KOI8-R: "ТАБЛИЦ╤").
    const double mended = IsWide(now) ? std::max(0.0, root.shape.signs - b.shape.signs) * kSignNat : 0;
    const double score = b.RussianScore() + mended;
    if (!fits || score < root.RussianScore() + kUnsureMargin + margin) return step;
    if (score < root.RussianScore() + kCleanMargin + margin) {
        step.kind = RepairFinding::Kind::Unknown;
        step.rivals = {best};
        return step;
    }
    // A chain of more readings than the best that reads no better is one guess more, and no rival.
    for (int c : all)
        if (c != best && nodes_[c].hash != b.hash && near(c, best) && nodes_[c].chain.length <= b.chain.length &&
            !(signs(c, best) && near(best, c)))
            step.rivals.push_back(c);
    step.node = best;
    step.kind = step.rivals.empty() ? RepairFinding::Kind::Repair : RepairFinding::Kind::Unknown;
    if (!step.rivals.empty()) step.rivals.insert(step.rivals.begin(), best);
    return step;
}

RepairFinding Search::Verdict(const std::vector<int>& roots) const {
    RepairFinding finding;
    int clean = roots.front();
    for (std::size_t i = 1; i < roots.size(); ++i)
        if (nodes_[roots[i]].RussianScore() > nodes_[clean].RussianScore()) clean = roots[i];
    finding.kind = RepairFinding::Kind::Clean;
    finding.chain = nodes_[clean].chain;
    auto unknown = [&](const Step& s) {
        finding.kind = RepairFinding::Kind::Unknown;
        for (int r : s.rivals) finding.candidates.push_back(nodes_[r].chain);
        return finding;
    };
    // Undoings by UTF-8 first, from the reading of the text that allows one; then the Russian ones.
    int at = -1;
    for (int r : roots) {
        // A file in a code page is undone by the Russian statistics alone: whatever its language, some
        // reading of it in some code page has well-formed UTF-8 here and there.
        if (!viewReading_ && nodes_[r].chain.now != RepairEncoding::Utf8) continue;
        // A text that is not UTF-8 read as UTF-8 is no text to undo.
        if (nodes_[r].failed * kFailureShare > std::max<std::size_t>(nodes_[r].shape.beyondAscii, 1)) continue;
        const Step s = WideStep(r);
        if (s.kind == RepairFinding::Kind::Unknown) return unknown(s);
        if (s.node >= 0) {
            // UTF-16 has no structure of its own to show: a Russian undoing found outright goes first.
            const Step russian = IsUtf16(nodes_[s.node].chain.steps[0].written) ? RussianStep(roots) : Step{};
            at = russian.node >= 0 && russian.kind == RepairFinding::Kind::Repair ? russian.node : s.node;
            break;
        }
    }
    if (at < 0) {
        const Step s = RussianStep(roots);
        if (s.kind == RepairFinding::Kind::Unknown) return unknown(s);
        if (s.node < 0) return finding;
        at = s.node;
    }
    // Layer after layer, as long as one more undoing reads clearly better.
    for (;;) {
        Step s = WideStep(at);
        if (s.kind == RepairFinding::Kind::Unknown) return unknown(s);
        if (s.node < 0) s = RussianStep({at});
        if (s.kind == RepairFinding::Kind::Unknown && s.node < 0) break;
        if (s.kind == RepairFinding::Kind::Unknown) return unknown(s);
        if (s.node < 0) break;
        at = s.node;
    }
    finding.kind = RepairFinding::Kind::Repair;
    finding.chain = nodes_[at].chain;
    return finding;
}

}  // namespace

namespace mojibake {

bool MayBeUndone(const Shape& shape) { return shape.cost >= kShapeMargin || !LatinText(shape); }

RepairFinding SearchMisreadings(const std::vector<SearchRoot>& roots, bool viewReading) {
    Search search(viewReading);
    std::vector<int> indices;
    for (const SearchRoot& root : roots) indices.push_back(search.AddRoot(root));
    search.LookForRussianFromRoots(indices);
    if (!search.NothingToUndo(indices))
        for (int r : indices) search.Expand(r);
    return search.Verdict(indices);
}

}  // namespace mojibake
