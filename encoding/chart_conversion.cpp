#include "encoding/chart_conversion.h"

#include "encoding/code_page_tables.h"
#include "encoding/transforms.h"
#include "encoding/unicode_conversion.h"

namespace {

// The conversion code pages beyond the five are the Unicode encodings in TextEncoding's order.
static_assert(static_cast<int>(TextEncoding::Utf8) == kUtf8Conversion &&
              static_cast<int>(TextEncoding::Utf16LE) == kUtf16LeConversion &&
              static_cast<int>(TextEncoding::Utf16BE) == kUtf16BeConversion);
TextEncoding EncodingOf(int codePage) { return static_cast<TextEncoding>(codePage); }

}  // namespace

bool IsChartConversion(int source, int target) { return source >= kUtf8Conversion || target >= kUtf8Conversion; }

std::string ConvertByCharts(std::string_view text, int source, int target, std::uint64_t& replaced, bool fido,
                            bool wholeText) {
    replaced = 0;
    std::string result = ConvertText(text, EncodingOf(source), EncodingOf(target), &replaced);
    // A part of a text has no mark of its own: only the start of a file does.
    if (!wholeText && target >= kUtf16LeConversion && result.size() >= 2) result.erase(0, 2);
    if (fido) ConvertCodePage(result, kNoTable, FidoTarget);
    return result;
}

int ViewOfConversionCodePage(int codePage) {
    if (codePage == kUtf8Conversion) return kUtf8View;
    if (codePage == kUtf16LeConversion) return kUtf16LeView;
    if (codePage == kUtf16BeConversion) return kUtf16BeView;
    return codePage >= kAnsi1251 && codePage <= kKoi8R ? codePage : -1;
}

int ConversionCodePageOfView(int view) {
    if (view == kUtf8View) return kUtf8Conversion;
    if (view == kUtf16LeView) return kUtf16LeConversion;
    if (view == kUtf16BeView) return kUtf16BeConversion;
    return view;
}
