#pragma once
// When the repair cannot tell which of a few readings undoes the damage, a person chooses: the
// candidates of the first stretch that cannot be told, each shown by how its first line would read,
// and the repair with the chosen one.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/mojibake_repair.h"

// A shown line is cut to this many characters.
inline constexpr std::size_t kChoiceLineCharacters = 80;

bool SameChain(const MisreadingChain& a, const MisreadingChain& b);

// The readings of the first piece that cannot be told and names any, the likeliest first; empty when
// there is nothing to choose.
std::vector<MisreadingChain> RepairCandidates(const TextRepair& repair);

// The first line that is not blank of that piece, with `chain` undone and the text written in
// `target`, as UTF-8: a character `target` lacks, or one lost on the way, shows as '?'. Empty when the
// piece has no line that is not blank.
std::string ChoiceLine(std::string_view text, const TextRepair& repair, const MisreadingChain& chain,
                       RepairEncoding target);

// Every piece that cannot be told and names `chain` among its readings is repaired by it.
void ChooseReading(TextRepair& repair, const MisreadingChain& chain);
