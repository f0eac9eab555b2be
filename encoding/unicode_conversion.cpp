#include "encoding/unicode_conversion.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <bit>
#include <cstring>
#include <memory>
#include <vector>

#include "base/charts.h"
#include "encoding/unicode_kernels.h"
#include "encoding/utf_codecs.h"

// The tables pack output bytes into words that are stored as they lie in memory.
static_assert(std::endian::native == std::endian::little);

namespace unicode {

// The way a conversion goes, fixed by its pair of encodings.
enum class ConversionPath { BetweenCodePages, CodePageToUtf8, Utf8ToCodePage, ByCharacters };

struct ConversionTables {
    TextEncoding from, to;
    ConversionPath path;
    // Single-byte source: each byte's UTF-8 form (at most 3 bytes) packed little-end first, with its
    // length in the top byte.
    std::array<std::uint32_t, 256> utf8Of{};
    // UTF-8 source, single-byte target: what a byte gives after the byte before it (index: the
    // previous byte times 256 plus the byte): the output byte, kKeep when the byte ends a character,
    // kSlow when the pair is anything but ASCII or a two-byte character the target has.
    std::vector<std::uint16_t> afterByte;
    // Single-byte source and target: each byte's exact counterpart; `lacking` marks a '?'.
    std::array<std::uint8_t, 256> byteFor{};
    std::array<bool, 256> lacking{};
    // Single-byte target: the byte of each BMP character, 0 where the target lacks it (from 0x80 up).
    std::array<std::uint8_t, 0x10000> byteOf{};
    KernelTables kernels;
    // The vector kernels tried in turn, widest first, each from where the one before stopped.
    std::array<Kernel, 3> chain{};
    int chainLength = 0;
};

}  // namespace unicode

namespace {

using namespace unicode;

// The longest run the branch-free loop takes before the vectors are tried again.
constexpr std::ptrdiff_t kRun = 64;
constexpr std::uint16_t kKeep = 0x100;
constexpr std::uint16_t kSlow = 0x200;

const charts::HighHalf& ChartOf(ConversionCodePage codePage) {
    static const charts::HighHalf* const kCharts[kConversionCodePageCount] = {
        &charts::kWindows1251, &charts::kCp866, &charts::kKoi8R, &charts::kIso8859_5, &charts::kMacCyrillic};
    return *kCharts[codePage];
}

ConversionCodePage CodePage(TextEncoding encoding) { return static_cast<ConversionCodePage>(encoding); }

// Where a conversion stands within the block it is given. The paths work on copies in locals: a store
// through the output could otherwise be taken to change the cursor itself.
struct Cursor {
    const std::uint8_t* p;
    const std::uint8_t* end;
    char* out;
    bool atEnd;
    std::uint64_t replaced = 0;
};

// ---- The tables of each pair of encodings ----

void BuildSingleByteSource(ConversionTables& t) {
    for (int b = 0; b < 256; ++b) {
        char16_t c = CharacterOf(CodePage(t.from), static_cast<std::uint8_t>(b));
        const bool unassigned = b >= 0x80 && c == 0;
        char bytes[4] = {};
        std::size_t n = static_cast<std::size_t>(EncodeUtf8(unassigned ? u'?' : c, bytes) - bytes);
        std::memcpy(&t.utf8Of[b], bytes, 3);
        t.utf8Of[b] = (t.utf8Of[b] & 0xFFFFFF) | static_cast<std::uint32_t>(n) << 24;
        t.lacking[b] = unassigned;
    }
}

void BuildCodePageToUtf8(ConversionTables& t) {
    for (int i = 0; i < 128; ++i) {
        const char16_t c = CharacterOf(CodePage(t.from), static_cast<std::uint8_t>(0x80 + i));
        std::uint8_t& e = t.kernels.twoByte[i / 16][i % 16];
        e = 0xFF;
        if (c >= 0x80 && c <= 0xBF) e = static_cast<std::uint8_t>(c);
        if (c >= 0x400 && c <= 0x47F) e = static_cast<std::uint8_t>(c - 0x400);
        const std::uint32_t bytes = t.utf8Of[0x80 + i];
        for (std::uint32_t k = 0; k < 3 && !t.lacking[0x80 + i]; ++k)
            if (k < bytes >> 24) t.kernels.singleByteWidest.bytes[k][i] = static_cast<std::uint8_t>(bytes >> (8 * k));
    }
}

void BuildSingleByteTarget(ConversionTables& t) {
    const charts::HighHalf& chart = ChartOf(CodePage(t.to));
    for (int i = 0; i < 128; ++i)
        if (chart[i]) t.byteOf[chart[i]] = static_cast<std::uint8_t>(0x80 + i);
}

void BuildUtf8ToCodePage(ConversionTables& t) {
    for (int i = 0; i < 128; ++i) t.kernels.cyrillic[i / 16][i % 16] = t.byteOf[0x400 + i];
    std::memcpy(t.kernels.widest.cyrillic, t.kernels.cyrillic, 128);
    std::memcpy(t.kernels.widest.latin, &t.byteOf[0x80], 64);
    std::memcpy(t.kernels.widest.punctuation, &t.byteOf[0x2000], 64);
    t.afterByte.assign(0x10000, kSlow);
    auto lead = [](std::uint32_t b) { return b >= 0xC2 && b <= 0xDF; };
    for (std::uint32_t prev = 0; prev < 256; ++prev) {
        for (std::uint32_t cur = 0; cur < 256; ++cur) {
            std::uint16_t& e = t.afterByte[prev << 8 | cur];
            if (cur < 0x80) {
                if (!lead(prev)) e = static_cast<std::uint16_t>(cur | kKeep);
            } else if (lead(cur)) {
                if (!lead(prev)) e = 0;
            } else if (cur <= 0xBF && lead(prev)) {
                const std::uint32_t cp = (prev & 0x1F) << 6 | (cur & 0x3F);
                if (t.byteOf[cp]) e = static_cast<std::uint16_t>(t.byteOf[cp] | kKeep);
            }
        }
    }
}

void BuildBetweenCodePages(ConversionTables& t) {
    for (int b = 0; b < 256; ++b) {
        char16_t c = CharacterOf(CodePage(t.from), static_cast<std::uint8_t>(b));
        std::uint8_t target = c < 0x80 ? static_cast<std::uint8_t>(c) : t.byteOf[c];
        t.lacking[b] = (b >= 0x80 && c == 0) || (c >= 0x80 && target == 0);
        t.byteFor[b] = t.lacking[b] ? '?' : target;
    }
}

// The forced path alone, or every path there is, the widest first.
void ChooseKernels(ConversionTables& t, Kernel (*kernelOf)(VectorPath)) {
    const std::vector<VectorPath>& available = AvailableVectorPaths();
    for (auto path = available.rbegin(); path != available.rend(); ++path) {
        if (ForcedVectorPath::path && *ForcedVectorPath::path != *path) continue;
        if (Kernel kernel = kernelOf(*path)) t.chain[t.chainLength++] = kernel;
    }
}

// ---- The paths ----

// At the start: a byte order mark is dropped from the input, and UTF-16 output starts with one.
const std::uint8_t* SkipByteOrderMark(TextEncoding from, const std::uint8_t* p, std::size_t size) {
    if (from == TextEncoding::Utf8 && size >= 3 && std::memcmp(p, "\xEF\xBB\xBF", 3) == 0) return p + 3;
    if (from == TextEncoding::Utf16LE && size >= 2 && p[0] == 0xFF && p[1] == 0xFE) return p + 2;
    if (from == TextEncoding::Utf16BE && size >= 2 && p[0] == 0xFE && p[1] == 0xFF) return p + 2;
    return p;
}

char* StartOutput(TextEncoding to, char* out) {
    if (to == TextEncoding::Utf16LE) return EncodeUtf16(0xFEFF, false, out);
    if (to == TextEncoding::Utf16BE) return EncodeUtf16(0xFEFF, true, out);
    return out;
}

void BetweenCodePages(const ConversionTables& t, Cursor& c) {
    const std::uint8_t* p = c.p;
    char* out = c.out;
    std::uint64_t replaced = 0;
    for (; p != c.end; ++p) {
        *out++ = static_cast<char>(t.byteFor[*p]);
        replaced += t.lacking[*p];
    }
    c = {p, c.end, out, c.atEnd, c.replaced + replaced};
}

void CodePageToUtf8(const ConversionTables& t, Cursor& c) {
    const std::uint8_t* p = c.p;
    const std::uint8_t* const end = c.end;
    char* out = c.out;
    std::uint64_t replaced = 0;
    const std::uint32_t* const utf8Of = t.utf8Of.data();
    const bool* const lacking = t.lacking.data();
    const Kernel* const chain = t.chain.data();
    const int chainLength = t.chainLength;
    while (p != end) {
        for (int k = 0; k < chainLength; ++k) p = chain[k](p, end, out, t.kernels);
        // What stopped the vectors (or the last bytes), one byte at a time.
        const std::uint8_t* const stop = p + std::min<std::ptrdiff_t>(end - p, 16);
        for (; p != stop; ++p) {
            const std::uint32_t e = utf8Of[*p];
            std::memcpy(out, &e, 4);
            out += e >> 24;
            replaced += lacking[*p];
        }
    }
    c = {p, end, out, c.atEnd, c.replaced + replaced};
}

// Without branches over a run of ASCII and two-byte characters; false (nothing taken) when anything
// else turns up in it, for the run to be done again one character at a time.
inline bool BranchFreeRun(const std::uint16_t* afterByte, const std::uint8_t*& p, const std::uint8_t* end, char*& out) {
    if (end - p <= 1) return false;
    const std::uint8_t* runEnd = p + std::min<std::ptrdiff_t>(end - p, kRun);
    if (runEnd[-1] >= 0xC0) --runEnd;  // a character starting there goes on past the run
    std::uint32_t slow = 0, prev = 0;
    char* o = out;
    for (const std::uint8_t* q = p; q != runEnd; ++q) {
        const std::uint32_t e = afterByte[prev << 8 | *q];
        *o = static_cast<char>(e);
        o += (e >> 8) & 1;
        slow |= e;
        prev = *q;
    }
    if ((slow & kSlow) || prev >= 0xC0) return false;  // nor a lead byte without its second byte
    out = o;
    p = runEnd;
    return true;
}

// One character at a time to the end of the run that needed it; false when a character is cut by the
// end of the block.
inline bool CarefulRun(const std::uint8_t* byteOf, const std::uint8_t*& p, const std::uint8_t* end, bool atEnd,
                       char*& out, std::uint64_t& replaced) {
    const std::uint8_t* const careful = std::min<const std::uint8_t*>(end, p + kRun + 1);
    while (p < careful) {
        const std::uint8_t b = *p;
        if (b < 0x80) {
            *out++ = static_cast<char>(b);
            ++p;
            continue;
        }
        std::size_t length;
        char32_t cp = DecodeUtf8(p, end, atEnd, length);
        if (cp == kCut) return false;
        std::uint8_t byte = cp < 0x10000 ? byteOf[cp] : 0;
        if (byte == 0) {
            byte = '?';
            ++replaced;
        }
        *out++ = static_cast<char>(byte);
        p += length;
    }
    return true;
}

void Utf8ToCodePage(const ConversionTables& t, Cursor& c) {
    const std::uint8_t* p = c.p;
    const std::uint8_t* const end = c.end;
    char* out = c.out;
    std::uint64_t replaced = 0;
    // Held in locals: stores through `out` could alias the tables' own pointers.
    const std::uint16_t* const afterByte = t.afterByte.data();
    const std::uint8_t* const byteOf = t.byteOf.data();
    const Kernel* const chain = t.chain.data();
    const int chainLength = t.chainLength;
    while (p != end) {
        for (int k = 0; k < chainLength; ++k) p = chain[k](p, end, out, t.kernels);
        if (BranchFreeRun(afterByte, p, end, out)) continue;
        if (!CarefulRun(byteOf, p, end, c.atEnd, out, replaced)) break;
    }
    c = {p, end, out, c.atEnd, c.replaced + replaced};
}

// One character of any source: kCut (nothing taken) when the block's end cuts it, '?' counted for a
// malformed or unassigned one.
char32_t DecodeCharacter(TextEncoding from, Cursor& c) {
    std::size_t length = 1;
    char32_t cp;
    if (IsSingleByte(from)) {
        cp = CharacterOf(CodePage(from), *c.p);
        if (*c.p >= 0x80 && cp == 0) cp = kInvalid;
    } else if (from == TextEncoding::Utf8) {
        cp = DecodeUtf8(c.p, c.end, c.atEnd, length);
    } else {
        cp = DecodeUtf16(c.p, c.end, c.atEnd, from == TextEncoding::Utf16BE, length);
    }
    if (cp == kCut) return kCut;
    c.p += length;
    if (cp == kInvalid) {
        cp = '?';
        ++c.replaced;
    }
    return cp;
}

// One character into any target, '?' counted for one a code page lacks.
void EncodeCharacter(const ConversionTables& t, char32_t cp, Cursor& c) {
    if (IsSingleByte(t.to)) {
        std::uint8_t byte = cp < 0x80 ? static_cast<std::uint8_t>(cp) : cp < 0x10000 ? t.byteOf[cp] : 0;
        if (cp >= 0x80 && byte == 0) {
            byte = '?';
            ++c.replaced;
        }
        *c.out++ = static_cast<char>(byte);
    } else if (t.to == TextEncoding::Utf8) {
        c.out = EncodeUtf8(cp, c.out);
    } else {
        c.out = EncodeUtf16(cp, t.to == TextEncoding::Utf16BE, c.out);
    }
}

// Everything else (UTF-16 either way, UTF-8 to UTF-8), one character at a time.
void ByCharacters(const ConversionTables& t, Cursor& c) {
    while (c.p != c.end) {
        const char32_t cp = DecodeCharacter(t.from, c);
        if (cp == kCut) break;
        EncodeCharacter(t, cp, c);
    }
}

// The tables of a pair, with the vector kernels of the forced path or of every path.
std::unique_ptr<ConversionTables> BuildTables(TextEncoding from, TextEncoding to) {
    auto built = std::make_unique<ConversionTables>();
    ConversionTables& t = *built;
    t.from = from;
    t.to = to;
    t.path = ConversionPath::ByCharacters;
    if (IsSingleByte(from)) BuildSingleByteSource(t);
    if (IsSingleByte(to)) BuildSingleByteTarget(t);
    if (IsSingleByte(from) && IsSingleByte(to)) {
        t.path = ConversionPath::BetweenCodePages;
        BuildBetweenCodePages(t);
    } else if (IsSingleByte(from) && to == TextEncoding::Utf8) {
        t.path = ConversionPath::CodePageToUtf8;
        BuildCodePageToUtf8(t);
        ChooseKernels(t, SingleByteToUtf8Kernel);
    } else if (from == TextEncoding::Utf8 && IsSingleByte(to)) {
        t.path = ConversionPath::Utf8ToCodePage;
        BuildUtf8ToCodePage(t);
        ChooseKernels(t, Utf8ToSingleByteKernel);
    }
    return built;
}

// Each pair's tables are built once and then only read, by every conversion of the pair on every
// thread: a run over thousands of small files would otherwise clear and fill some 200 KB a file. A
// forced vector path has tables of its own, as its kernels differ. They stay for the process.
const ConversionTables& TablesOf(TextEncoding from, TextEncoding to) {
    constexpr int kForcings = 1 + static_cast<int>(VectorPath::Avx512) + 1;
    static std::atomic<const ConversionTables*> built[kForcings][kTextEncodingCount][kTextEncodingCount];
    const int forcing = ForcedVectorPath::path ? 1 + static_cast<int>(*ForcedVectorPath::path) : 0;
    std::atomic<const ConversionTables*>& slot = built[forcing][static_cast<int>(from)][static_cast<int>(to)];
    if (const ConversionTables* tables = slot.load(std::memory_order_acquire)) return *tables;
    std::unique_ptr<ConversionTables> fresh = BuildTables(from, to);
    const ConversionTables* first = nullptr;
    // Two threads may build a pair at once: the first one's tables are kept.
    if (slot.compare_exchange_strong(first, fresh.get(), std::memory_order_acq_rel)) return *fresh.release();
    return *first;
}

}  // namespace

char16_t CharacterOf(ConversionCodePage codePage, std::uint8_t byte) {
    return byte < 0x80 ? byte : ChartOf(codePage)[byte - 0x80];
}

UnicodeConversion::UnicodeConversion(TextEncoding from, TextEncoding to)
    : from_(from), to_(to), tables_(&TablesOf(from, to)) {}

UnicodeConversion::~UnicodeConversion() = default;

UnicodeConversion::Step UnicodeConversion::Convert(const std::uint8_t* input, std::size_t size, bool atEnd,
                                                   char* out) {
    Cursor c{input, input + size, out, atEnd};
    if (atStart_) {
        // Too short yet to tell whether a byte order mark is there.
        if (!atEnd && size < 3) return {0, 0};
        atStart_ = false;
        c.p = SkipByteOrderMark(from_, input, size);
        c.out = StartOutput(to_, out);
    }
    const ConversionTables& t = *tables_;
    switch (t.path) {
    case ConversionPath::BetweenCodePages: BetweenCodePages(t, c); break;
    case ConversionPath::CodePageToUtf8: CodePageToUtf8(t, c); break;
    case ConversionPath::Utf8ToCodePage: Utf8ToCodePage(t, c); break;
    case ConversionPath::ByCharacters: ByCharacters(t, c); break;
    }
    replaced_ += c.replaced;
    return {static_cast<std::size_t>(c.p - input), static_cast<std::size_t>(c.out - out)};
}

std::size_t UnicodeConversion::Append(std::string_view text, bool atEnd, std::string& out) {
    const std::size_t old = out.size();
    out.resize(old + MaxOutput(text.size()));
    Step step = Convert(reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), atEnd, out.data() + old);
    out.resize(old + step.written);
    return step.consumed;
}

std::string ConvertText(std::string_view text, TextEncoding from, TextEncoding to, std::uint64_t* replaced) {
    UnicodeConversion conversion(from, to);
    std::string out;
    conversion.Append(text, true, out);
    if (replaced) *replaced += conversion.Replaced();
    return out;
}
