#include "encoding/mojibake_search_tree.h"

#include <algorithm>
#include <vector>

#include "encoding/mojibake_charts.h"
#include "encoding/russian_judgement.h"

namespace mojibake::tree {
namespace {

// What an undoing that leaves fewer letters must gain a letter (in the judgement's fit, nats).
constexpr double kFitGain = 0.1;

class Verdict {
public:
    Verdict(const std::vector<Node>& nodes, bool viewReading) : viewReading_(viewReading), nodes_(nodes) {}
    RepairFinding Of(const std::vector<int>& roots) const;

private:
    struct Step {
        int node = -1;
        RepairFinding::Kind kind = RepairFinding::Kind::Clean;
        std::vector<int> rivals;
    };
    Step WideStep(int at) const;
    bool WideTakenFrom(int r, const Step& s) const;
    int BestBelow(int at) const;
    Step RussianStep(const std::vector<int>& from) const;
    int RussianCandidates(const std::vector<int>& from, std::vector<int>& all) const;
    void RussianDescendants(int at, std::vector<int>& out) const;
    int Before(int at) const;
    bool ThroughDetour(int at) const;

    bool viewReading_;
    const std::vector<Node>& nodes_;
};

// The node that reads best of `at` and what undoing by UTF-8 or UTF-16 gives below it: a layer
// undone may read no better than the one above it ("Г©" for "Ð“Â©") until the next is undone too.
int Verdict::BestBelow(int at) const {
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
Verdict::Step Verdict::WideStep(int at) const {
    const Node& from = nodes_[at];
    Step step;
    int bestEnd = -1;
    std::vector<std::pair<int, int>> eligible;  // child, the best below it
    for (int c : from.children) {
        const Node& n = nodes_[c];
        if (n.step != StepKind::Wide || n.failed > from.failed) continue;
        const int end = BestBelow(c);
        // A rarer reading costs more only against another reading: against the text as it is, the
        // undoing's shape alone must read better (Danish "fĆørste" is UTF-8 read as 1257, the 16th).
        if (nodes_[end].shape.cost + kShapeMargin > from.shape.cost) continue;
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

bool Verdict::ThroughDetour(int at) const {
    for (; at >= 0; at = nodes_[at].parent)
        if (nodes_[at].detour) return true;
    return false;
}

// The text the Cyrillic readings that end in node `at` start from.
int Verdict::Before(int at) const {
    while (nodes_[at].parent >= 0 && nodes_[nodes_[at].parent].step == StepKind::Russian) at = nodes_[at].parent;
    return nodes_[at].parent;
}

void Verdict::RussianDescendants(int at, std::vector<int>& out) const {
    for (int c : nodes_[at].children)
        if (nodes_[c].step == StepKind::Russian) {
            out.push_back(c);
            RussianDescendants(c, out);
        }
}

// The undoings by Cyrillic readings of the texts `from` (its readings now) that may be taken, into
// `all`, and the one of them that reads best as Russian (-1 where there is none).
int Verdict::RussianCandidates(const std::vector<int>& from, std::vector<int>& all) const {
    for (int f : from) RussianDescendants(f, all);
    all.erase(std::remove_if(all.begin(), all.end(),
                             [&](int c) {
                                 return std::any_of(from.begin(), from.end(), [&](int f) {
                                     return nodes_[c].shape.cost + kCaseMend > nodes_[f].shape.cost &&
                                            MostlyCaseChanged(nodes_[f].text, nodes_[c].text);
                                 });
                             }),
              all.end());
    auto bestOf = [&] {
        int b = -1;
        for (int c : all)
            if (b < 0 || nodes_[c].RussianScore() > nodes_[b].RussianScore()) b = c;
        return b;
    };
    int best = bestOf();
    if (best < 0) return best;
    // An undoing that gives no Russian words and reads as well as one that does says that one's
    // letters pair so by chance (a Hebrew line read as 1251). Not where the damage lost letters inside
    // words as '?' (866 read as 1251 and saved as 866 loses half of them): an undoing that makes signs
    // of the rest reads best there by having the fewest pairs to pay for.
    auto givesRussian = [&](int c) {
        const Judgement& j = nodes_[c].russian;
        return ReadsAsRussian(j) && j.letters >= kRussianLetters;
    };
    if (!givesRussian(best)) {
        all.erase(std::remove_if(all.begin(), all.end(),
                                 [&](int c) { return !givesRussian(c) || CountCyrillicWords(nodes_[c].text).lostInWords < kRussianLetters; }),
                  all.end());
        best = bestOf();
    }
    return best;
}

// The undoing by Cyrillic readings of one of the texts `from` (its readings now) that reads best as
// Russian, when it reads clearly better than the best of them.
Verdict::Step Verdict::RussianStep(const std::vector<int>& from) const {
    Step step;
    std::vector<int> all;
    int best = RussianCandidates(from, all);
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
    before.RussianScore();  // judges it, where that was put off
    // Undoing mojibake puts letters in Russian order; one that takes letters away from the text as it
    // is and reads hardly better a letter scores better only by having fewer pairs to pay for (a file
    // of two code pages read as a third). Signs of a reading may be letters of another ("«" in Mac
    // Cyrillic read as KOI8-R is "г"), but then the undoing reads plainly better.
    const bool fewerLetters = b.russian.letters < std::min(before.russian.letters, root.russian.letters) &&
                              b.russian.fit < root.russian.fit + kFitGain;
    const bool russian = ReadsAsRussian(b.russian) && b.russian.letters >= kRussianLetters && b.russian.fit >= kRussianFit &&
                         !fewerLetters &&
                         (ChangesEnough(b.text, before.text) || b.shape.cost < before.shape.cost) &&
                         MakesWords(b.text, b.russian.letters, before.text, root.text) && !ChangesOnlySigns(b.text, root.text);
    // The text as it is must look like no right text of its own: not uglier once undone, than it is
    // and than it reads best (a Bulgarian "цвят „%s“" in 1251 read as Mac Cyrillic, "цвИт ƒ%s”" once
    // undone), and not Latin text with its few accented letters.
    const bool fits = russian && !LatinText(before) && b.shape.cost <= std::min(before.shape.cost, root.shape.cost) + 2 &&
                      (!ThroughDetour(best) || b.russian.fit >= root.russian.fit + kDetourGain);
    // Taking the text to be in another code page than the one it reads best in is one more guess.
    int start = origin;
    while (nodes_[start].parent >= 0) start = nodes_[start].parent;
    // So is a file in ISO 8859-5 or Mac Cyrillic: few are written in them today.
    const RepairEncoding now = nodes_[start].chain.now;
    const double margin = (start == clean ? 0 : kStepCost) + (!viewReading_ && FewWriteIn(now) ? kStepCost : 0);
    // The misfits the undoing takes away (symbols beside letters: "называетс€", "≈сли"; another
    // alphabet's letter before Russian ones: "Ћысина") are evidence of their own in a UTF-8 text; one
    // read in a code page may be in a kin of it (KOI8-U as KOI8-R: "ТАБЛИЦ╤").
    const double mended = IsWide(now) ? std::max(0.0, root.shape.cost - b.shape.cost) * kShapeNat : 0;
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

// A file in a code page is undone by UTF-8 only where that gives Russian words: whatever its
// language, some reading of it in some code page has well-formed UTF-8 here and there, but Russian
// letters that pair as Russian does come only from a real undoing ("╨╨╡╤В" in KOI8-R, UTF-8 shown
// by a DOS console and saved so).
bool Verdict::WideTakenFrom(int r, const Step& s) const {
    if (viewReading_ || nodes_[r].chain.now == RepairEncoding::Utf8) return true;
    return s.kind == RepairFinding::Kind::Repair && s.node >= 0 &&
           nodes_[s.node].chain.Original() == RepairEncoding::Utf8 && HoldsRussian(nodes_[s.node]);
}

RepairFinding Verdict::Of(const std::vector<int>& roots) const {
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
        // A text that is not UTF-8 read as UTF-8 is no text to undo.
        if (nodes_[r].failed * kFailureShare > std::max<std::size_t>(nodes_[r].shape.beyondAscii, 1)) continue;
        const Step s = WideStep(r);
        if (!WideTakenFrom(r, s)) continue;
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

RepairFinding Weigh(const std::vector<Node>& nodes, const std::vector<int>& roots, bool viewReading) {
    return Verdict(nodes, viewReading).Of(roots);
}

}  // namespace mojibake::tree
