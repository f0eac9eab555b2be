// RTF from outside: a file opened as it is and turned into plain text. Malformed input never fails,
// what is not RTF comes back unchanged, and the text is never longer than the markup.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "control/rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view rtf(reinterpret_cast<const char*>(data), size);
    const std::string text = RtfToPlainText(rtf);
    if (rtf.rfind("{\\rtf", 0) != 0 && text != rtf) __builtin_trap();
    if (text.size() > rtf.size()) __builtin_trap();
    return 0;
}
