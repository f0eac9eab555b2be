#include "encoding/repair_choice.h"

#include <algorithm>
#include <cstdint>

#include "encoding/mojibake_charts.h"

namespace {

using Kind = RepairFinding::Kind;

// The first line is sought in this much of the piece, not in the whole of a big text.
constexpr std::size_t kChoicePrefix = 4096;

const RepairPiece* FirstUndecided(const TextRepair& repair) {
    for (const RepairPiece& piece : repair.pieces)
        if (piece.finding.kind == Kind::Unknown && !piece.finding.candidates.empty()) return &piece;
    return nullptr;
}

bool HasUtf16(const MisreadingChain& chain) {
    if (mojibake::IsUtf16(chain.now)) return true;
    return std::any_of(chain.steps, chain.steps + chain.length,
                       [](const Misreading& m) { return mojibake::IsUtf16(m.written) || mojibake::IsUtf16(m.savedAs); });
}

bool Blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// At most `count` characters of UTF-8 text.
std::string_view FirstCharacters(std::string_view text, std::size_t count) {
    std::size_t at = 0;
    for (std::size_t n = 0; at < text.size() && n < count; ++n) {
        ++at;
        while (at < text.size() && (static_cast<std::uint8_t>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return text.substr(0, at);
}

}  // namespace

bool SameChain(const MisreadingChain& a, const MisreadingChain& b) {
    if (a.length != b.length || a.now != b.now || a.references != b.references) return false;
    for (int i = 0; i < a.length; ++i)
        if (a.steps[i].written != b.steps[i].written || a.steps[i].readAs != b.steps[i].readAs ||
            a.steps[i].savedAs != b.steps[i].savedAs)
            return false;
    return true;
}

std::vector<MisreadingChain> RepairCandidates(const TextRepair& repair) {
    const RepairPiece* piece = FirstUndecided(repair);
    return piece ? piece->finding.candidates : std::vector<MisreadingChain>{};
}

std::string ChoiceLine(std::string_view text, const TextRepair& repair, const MisreadingChain& chain,
                       RepairEncoding target) {
    const RepairPiece* piece = FirstUndecided(repair);
    if (!piece) return {};
    std::string_view bytes = text.substr(piece->start, piece->length);
    const bool wide = HasUtf16(chain);
    // A blank byte is itself in every reading but UTF-16's, where it is half a character.
    if (!wide)
        while (!bytes.empty() && Blank(bytes.front())) bytes.remove_prefix(1);
    std::size_t cut = std::min(bytes.size(), kChoicePrefix);
    if (wide) cut &= ~std::size_t{1};
    std::uint64_t lost = 0;
    const std::string written = UndoMisreadings(bytes.substr(0, cut), chain, target, &lost);
    const std::string shown = target == RepairEncoding::Utf8 ? written
                                                             : mojibake::Recode(written, target, RepairEncoding::Utf8, lost);
    std::string_view rest = shown;
    while (!rest.empty()) {
        const std::size_t eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view{} : rest.substr(eol + 1);
        while (!line.empty() && Blank(line.back())) line.remove_suffix(1);
        while (!line.empty() && Blank(line.front())) line.remove_prefix(1);
        if (!line.empty()) return std::string(FirstCharacters(line, kChoiceLineCharacters));
    }
    return {};
}

void ChooseReading(TextRepair& repair, const MisreadingChain& chain) {
    for (RepairPiece& piece : repair.pieces) {
        if (piece.finding.kind != Kind::Unknown) continue;
        const auto& candidates = piece.finding.candidates;
        if (std::none_of(candidates.begin(), candidates.end(), [&](const MisreadingChain& c) { return SameChain(c, chain); }))
            continue;
        piece.finding.kind = Kind::Repair;
        piece.finding.chain = chain;
        piece.finding.candidates.clear();
    }
}
