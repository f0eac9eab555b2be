#include "encoding/chart_conversion.h"

#include "encoding/code_page_tables.h"
#include "encoding/transforms.h"
#include "encoding/unicode_conversion.h"

namespace {

TextEncoding EncodingOf(int codePage) {
    return codePage == kUtf8Conversion ? TextEncoding::Utf8 : static_cast<TextEncoding>(codePage);
}

}  // namespace

bool IsChartConversion(int source, int target) { return source == kUtf8Conversion || target == kUtf8Conversion; }

std::string ConvertByCharts(std::string_view text, int source, int target, std::uint64_t& replaced, bool fido) {
    replaced = 0;
    std::string result = ConvertText(text, EncodingOf(source), EncodingOf(target), &replaced);
    if (fido) ConvertCodePage(result, kNoTable, FidoTarget);
    return result;
}

int ViewOfConversionCodePage(int codePage) {
    if (codePage == kUtf8Conversion) return kUtf8View;
    return codePage >= kAnsi1251 && codePage <= kKoi8R ? codePage : -1;
}

int ConversionCodePageOfView(int view) { return view == kUtf8View ? kUtf8Conversion : view; }
