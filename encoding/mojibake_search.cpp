#include "encoding/mojibake_search.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

#include "base/thread_own.h"
#include "encoding/encoding_detection.h"
#include "encoding/letter_classes.h"
#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_search_tree.h"
#include "encoding/mojibake_shape.h"
#include "encoding/numbered_text.h"
#include "encoding/russian_judgement.h"
#include "encoding/russian_expectation.h"
#include "encoding/russian_letter_statistics.h"

namespace {

using namespace mojibake;
using namespace mojibake::tree;

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
            else if (nodes_[child].detour || nodes_[child].RussianScore() > nodes_[at].RussianScore())
                russian.push_back(child);
        }
        // The detours last: they read worse than the text.
        std::sort(russian.begin(), russian.end(), [&](int a, int b) {
            return !nodes_[a].detour && (nodes_[b].detour || nodes_[a].RussianScore() > nodes_[b].RussianScore());
        });
        // Beyond the likeliest, the two that mend the text's shape most, where they mend it plainly:
        // the first layer undone of a lossy chain of two reads no better than the others, only calmer.
        if (russian.size() > 4) {
            std::sort(russian.begin() + 4, russian.end(),
                      [&](int a, int b) { return nodes_[a].shape.cost < nodes_[b].shape.cost; });
            std::size_t keep = 4;
            while (keep < russian.size() && keep < 6 && nodes_[russian[keep]].shape.cost * kDetourCalm <= nodes_[at].shape.cost)
                nodes_[russian[keep++]].detour = true;
            russian.resize(keep);
        }
        for (int child : russian) Expand(child);
    }

    RepairFinding Verdict(const std::vector<int>& roots) const { return Weigh(nodes_, roots, viewReading_); }

    // Whether an undoing by UTF-8 or UTF-16 of root `r` can be taken, as the verdict takes one: it must
    // read kShapeMargin better than the root, which a root whose misfits cost less cannot, and a text
    // that is not UTF-8 read as UTF-8 is no text to undo.
    bool WideMayBeTaken(int r) const {
        const Node& n = nodes_[r];
        return n.shape.cost >= kShapeMargin && n.failed * kFailureShare <= std::max<std::size_t>(n.shape.beyondAscii, 1);
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
        // A detour is judged written out, by how it reads and by its shape.
        if (MayDetour(at)) return true;
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
            // below the floor, so that rounding never cuts what the whole judgement would keep. A
            // text that may have detours has its undoings judged to the end: they may be one.
            const double penalty = n.RussianScore() - n.russian.score;
            const bool mayDetour = MayDetour(n.parent);
            n.russian = mayDetour ? Judge(n.text) : Judge(n.text, parent - penalty - 1e-9, &cut);
            if (cut || n.RussianScore() <= parent) {
                if (!mayDetour) return -1;
                n.shape = ShapeOf(n.text);
                if (!Detours(n, nodes_[n.parent])) return -1;
                n.detour = true;
            }
        } else if (root) {
            n.judged = false;
        } else {
            n.russian = Judge(n.text);
        }
        if (!n.detour) n.shape = shape ? *shape : ShapeOf(n.text);
        nodes_.push_back(std::move(n));
        const int at = static_cast<int>(nodes_.size()) - 1;
        if (nodes_[at].parent >= 0) nodes_[nodes_[at].parent].children.push_back(at);
        return at;
    }

    // Whether a first undoing of root `r` that reads no better may still be a detour (kDetourCalm),
    // and whether `n` is one.
    bool MayDetour(int r) const {
        const Node& root = nodes_[r];
        if (root.parent >= 0 || root.shape.cost < kDetourShape) return false;
        root.RussianScore();
        return root.russian.fit < kRussianFit;
    }
    static bool Detours(const Node& n, const Node& root) {
        return n.russian.fit >= root.russian.fit + kDetourFit && n.shape.cost * kDetourCalm <= root.shape.cost &&
               n.russian.letters >= kRussianLetters;
    }

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
