// Hexadecimal text as typed: the search pattern of find and replace (at most 32 bytes, never a zero
// byte) and the byte patcher's offset and value (what a valid text names is what formatting it back
// names).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "tools/byte_patch.h"
#include "tools/search_logic.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string pattern = ParseHexPattern(text);
    if (pattern.size() > 32 || pattern.find('\0') != std::string::npos) __builtin_trap();

    const HexNumber offset = ParseHexNumber(text);
    if (offset.valid) {
        char again[16];
        std::snprintf(again, sizeof again, "%X", static_cast<unsigned>(offset.value));
        const HexNumber back = ParseHexNumber(again);
        if (!back.valid || back.value != offset.value) __builtin_trap();
    }
    if (auto byte = ParseByteValue(text)) {
        if (ParseByteValue(FormatByte(*byte)) != byte) __builtin_trap();
    }
    return 0;
}
