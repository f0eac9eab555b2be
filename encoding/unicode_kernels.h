#pragma once
// The vector kernels of the Unicode conversion: each converts a stretch of the easy characters (ASCII,
// letters, the commonest punctuation) many bytes at a time and stops, at a character boundary, where
// something else begins, which the scalar codec then takes one character at a time. Each kernel lives
// in a file of its own, built for its processor; which of them a conversion uses is decided once.
#include <cstdint>
#include <optional>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#define VEMKO_VECTORS_SSSE3 1
// GCC keeps the stack only 16-byte aligned in 64-bit Windows code, where spilling a 256-bit register
// would fault: the Windows build stays at sixteen bytes at a time.
#ifndef _WIN32
#define VEMKO_VECTORS_WIDE 1
#endif
#endif

// From the narrowest: None is the scalar codec alone.
enum class VectorPath { None, Ssse3, Avx2, Avx512 };

// The paths this build has and this processor runs, None first.
const std::vector<VectorPath>& AvailableVectorPaths();

// Test hook: a conversion made while it is set uses that one path (the scalar codec for whatever the
// path leaves), so that tests can hold each path to the scalar codec. Unset, as in the program, a
// conversion uses every available path, the widest first.
struct ForcedVectorPath {
    static inline std::optional<VectorPath> path;
};

namespace unicode {

// The characters the widest path takes besides ASCII: U+0400-U+047F (after D0 or D1), U+0080-U+00BF
// (after C2: the guillemets, the no-break space, the degree sign) and U+2000-U+203F (after E2 80: the
// dashes, quotation marks, the ellipsis), with the byte the target has for each, 0 where it lacks it.
struct Utf8Widest {
    alignas(64) std::uint8_t cyrillic[128];
    alignas(64) std::uint8_t latin[64];
    alignas(64) std::uint8_t punctuation[64];
};

// Each byte from 0x80 of a single-byte source: its UTF-8 bytes, 0 past its length; all 0 where the chart
// leaves the byte unassigned.
struct SingleByteWidest {
    alignas(64) std::uint8_t bytes[3][128];
};

// What the kernels look up, made by the conversion for its pair of encodings.
struct KernelTables {
    // UTF-8 source, single-byte target: the target's byte for U+0400-U+047F, the characters whose UTF-8
    // starts with D0 or D1, in eight rows of sixteen; 0 where the target lacks one.
    alignas(64) std::uint8_t cyrillic[8][16]{};
    Utf8Widest widest{};
    // Single-byte source, UTF-8 target: for each byte from 0x80, in eight rows of sixteen, its
    // character when it is U+0080-U+00BF, its character less U+0400 when it is U+0400-U+047F, 0xFF
    // otherwise.
    alignas(64) std::uint8_t twoByte[8][16]{};
    SingleByteWidest singleByteWidest{};
};

// Converts from `p` while the bytes are of the kinds the kernel takes, writing at `out` (at most three
// times the bytes taken) and moving it on; returns where it stopped.
using Kernel = const std::uint8_t* (*)(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                       const KernelTables& tables);

// The kernels of a path for each direction; nullptr for None and for a path this build lacks.
Kernel Utf8ToSingleByteKernel(VectorPath path);
Kernel SingleByteToUtf8Kernel(VectorPath path);

#ifdef VEMKO_VECTORS_SSSE3
const std::uint8_t* Utf8ToSingleByteSsse3(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                          const KernelTables& tables);
const std::uint8_t* SingleByteToUtf8Ssse3(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                          const KernelTables& tables);
#endif
#ifdef VEMKO_VECTORS_WIDE
const std::uint8_t* Utf8ToSingleByteAvx2(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                         const KernelTables& tables);
const std::uint8_t* SingleByteToUtf8Avx2(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                         const KernelTables& tables);
const std::uint8_t* Utf8ToSingleByteAvx512(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                           const KernelTables& tables);
const std::uint8_t* SingleByteToUtf8Avx512(const std::uint8_t* p, const std::uint8_t* end, char*& out,
                                           const KernelTables& tables);
#endif

}  // namespace unicode
