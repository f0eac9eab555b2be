// The UTF-8 and UTF-16 decoders and every conversion through Unicode, on bytes from outside. The first
// byte picks the encodings, the second where the input is cut into two blocks. Each vector path the
// processor has gives, block by block, what the whole text gives, in no more room than MaxOutput
// promises (the output buffer is exactly that big, so the address sanitizer sees a byte beyond it).
// UTF-8 that needed no '?' comes back byte for byte through UTF-16.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/unicode_conversion.h"
#include "encoding/unicode_kernels.h"

namespace {

constexpr int kEncodings = 8;

std::string InBlocks(std::string_view input, std::size_t cut, TextEncoding from, TextEncoding to,
                     std::uint64_t& replaced) {
    UnicodeConversion conversion(from, to);
    std::string out;
    std::string held;
    for (std::string_view block : {input.substr(0, cut), input.substr(cut)}) {
        const bool atEnd = block.data() + block.size() == input.data() + input.size();
        held += block;
        std::vector<char> room(UnicodeConversion::MaxOutput(held.size()));
        const UnicodeConversion::Step step =
            conversion.Convert(reinterpret_cast<const std::uint8_t*>(held.data()), held.size(), atEnd, room.data());
        if (step.consumed > held.size() || step.written > room.size()) __builtin_trap();
        out.append(room.data(), step.written);
        held.erase(0, step.consumed);
    }
    if (!held.empty()) __builtin_trap();
    replaced = conversion.Replaced();
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const auto from = static_cast<TextEncoding>(data[0] % kEncodings);
    const auto to = static_cast<TextEncoding>(data[0] / kEncodings % kEncodings);
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::size_t cut = input.empty() ? 0 : data[1] % (input.size() + 1);

    ForcedVectorPath::path.reset();
    std::uint64_t replaced = 0;
    const std::string whole = ConvertText(input, from, to, &replaced);
    // The program's conversion uses every path at once, the widest first; each alone must agree.
    for (VectorPath path : AvailableVectorPaths()) {
        ForcedVectorPath::path = path;
        std::uint64_t blockReplaced = 0;
        if (InBlocks(input, cut, from, to, blockReplaced) != whole || blockReplaced != replaced) __builtin_trap();
    }
    ForcedVectorPath::path.reset();

    if (from == TextEncoding::Utf8 && replaced == 0) {
        std::string_view text = input;
        if (text.rfind("\xEF\xBB\xBF", 0) == 0) text.remove_prefix(3);
        for (TextEncoding utf16 : {TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
            std::uint64_t lost = 0;
            const std::string back = ConvertText(ConvertText(text, from, utf16, &lost), utf16, from, &lost);
            if (back != text || lost != 0) __builtin_trap();
        }
    }
    return 0;
}
