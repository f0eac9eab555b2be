// Undoing a chain of mis-readings on a whole text, and doing one (for the benchmark and the tests).
#include <algorithm>

#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_references.h"
#include "encoding/mojibake_repair.h"

namespace {

using namespace mojibake;

// The text is undone this many bytes at a time, so that the steps convert in the cache.
constexpr std::size_t kUndoBlock = 64 * 1024;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsAscii(char c) { return static_cast<std::uint8_t>(c) < 0x80; }

}  // namespace

std::size_t MisreadingUndoing::Append(std::string_view text, bool atEnd, std::string& out) {
    const std::size_t size = text.size();
    if (atStart_) {
        // Too short yet to tell whether a byte order mark is there.
        if (!atEnd && text.size() < kByteOrderMark.size()) return 0;
        atStart_ = false;
        // A UTF-8 byte order mark stays when the target is UTF-8.
        if (chain_.now == RepairEncoding::Utf8 && text.substr(0, 3) == kByteOrderMark) {
            text.remove_prefix(3);
            if (target_ == RepairEncoding::Utf8) out += kByteOrderMark;
        }
    }
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = std::min(text.size(), at + kUndoBlock);
        if (end < text.size() || !atEnd) {
            std::size_t cut = end;
            while (cut > at && !IsAscii(text[cut - 1])) --cut;
            if (cut > at) {
                end = cut;
            } else {
                // A block's worth without an ASCII byte: on to the next one.
                while (end < text.size() && !IsAscii(text[end - 1])) ++end;
                if (!IsAscii(text[end - 1]) && !atEnd) break;
            }
        }
        UndoBlock(text.substr(at, end - at), out);
        at = end;
    }
    return size - text.size() + at;
}

void MisreadingUndoing::UndoBlock(std::string_view block, std::string& out) {
    std::string_view current = block;
    RepairEncoding in = chain_.now;
    const bool replacement = in == RepairEncoding::Utf8 && block.find("\xEF\xBF\xBD") != std::string_view::npos;
    int next = 0;
    // Each step converts the one before's result, from one buffer into the other.
    auto step = [&](RepairEncoding to) {
        std::string& buffer = buffers_[next];
        next ^= 1;
        if (buffer.size() < RecodeRoom(current.size())) buffer.resize(RecodeRoom(current.size()));
        char* end = Recode(current, in, to, lost_, buffer.data(), &malformed_, replacement);
        current = std::string_view(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    };
    for (int i = chain_.length - 1; i >= 0; --i) {
        if (in != chain_.steps[i].readAs) step(chain_.steps[i].readAs);
        in = chain_.steps[i].written;
    }
    // UTF-8 to UTF-8 leaves what is well-formed as it is and makes '?' of the rest.
    if (in != target_ || !IsSingleByte(in)) step(target_);
    out += current;
}

std::string UndoMisreadings(std::string_view text, const MisreadingChain& chain, RepairEncoding target,
                            std::uint64_t* lost) {
    if (chain.references) {
        // The references undone first, in UTF-8, which holds whatever they name.
        std::size_t failed = 0, cut = 0, count = 0;
        std::u32string decoded;
        DecodeReferences(DecodeCharacters(text, chain.now, failed, cut), decoded, count);
        MisreadingChain rest = chain;
        rest.references = false;
        rest.now = RepairEncoding::Utf8;
        return UndoMisreadings(EncodeCharacters(decoded, RepairEncoding::Utf8, failed, cut), rest, target, lost);
    }
    bool wide = IsUtf16(chain.now) || IsUtf16(target);
    for (int i = 0; i < chain.length; ++i) wide = wide || IsUtf16(chain.steps[i].written);
    if (wide) {
        // UTF-16 has no ASCII bytes to cut at: the whole text at once.
        MisreadingUndoing undoing(chain, target);
        std::string out;
        undoing.UndoBlock(text, out);
        if (lost) *lost += undoing.Lost();
        return out;
    }
    MisreadingUndoing undoing(chain, target);
    std::string out;
    out.reserve(text.size() + (target == RepairEncoding::Utf8 ? text.size() / 2 : 0) + 3);
    undoing.Append(text, true, out);
    if (lost) *lost += undoing.Lost();
    return out;
}

std::string DoMisreadings(std::string_view original, const MisreadingChain& chain, std::uint64_t* lost) {
    std::uint64_t count = 0;
    std::string bytes(original);
    for (int i = 0; i < chain.length; ++i)
        if (chain.steps[i].readAs != chain.steps[i].savedAs)
            bytes = Recode(bytes, chain.steps[i].readAs, chain.steps[i].savedAs, count);
    if (lost) *lost += count;
    return bytes;
}
