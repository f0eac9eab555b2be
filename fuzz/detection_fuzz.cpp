// Detection and mojibake repair on bytes from outside: a name with a confidence from 0 to 1, and a
// chain that can be undone on the whole text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/encoding_detection.h"
#include "encoding/mojibake_repair.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool complete = data[0] & 1;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const Detection detection = DetectEncoding(text, complete);
    if (!(detection.confidence >= 0 && detection.confidence <= 1)) __builtin_trap();
    IsNamed(detection);

    const RepairFinding finding = FindMisreadings(text, complete);
    if (finding.kind == RepairFinding::Kind::Repair) {
        if (finding.chain.length < 1 || finding.chain.length > 2) __builtin_trap();
        std::uint64_t lost = 0;
        UndoMisreadings(text, finding.chain, finding.chain.Original(), &lost);
        DescribeChain(finding.chain);
    }
    return 0;
}
