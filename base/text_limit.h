#pragma once
// The largest text the editor takes, in bytes: half the physical memory, so a text that fits leaves
// room for its undo snapshot and conversion buffers; the low 20 bits are set, so even a machine that
// reports almost no memory allows a mebibyte.
#include <cstdint>

std::uint32_t TextLimitFor(std::uint64_t totalPhysicalBytes);
