#include "encoding/chart_conversion.h"

#include "encoding/code_page_tables.h"
#include "encoding/transforms.h"
#include "encoding/unicode_conversion.h"

std::string ConvertByCharts(std::string_view text, const TextConversion& conversion, std::uint64_t& replaced,
                            bool wholeText) {
    replaced = 0;
    std::string result = ConvertText(text, conversion.source, conversion.target, &replaced);
    // A part of a text has no mark of its own: only the start of a file does.
    if (!wholeText && IsUtf16(conversion.target) && result.size() >= 2) result.erase(0, 2);
    if (conversion.fido) ConvertCodePage(result, kNoTable, FidoTarget);
    return result;
}
