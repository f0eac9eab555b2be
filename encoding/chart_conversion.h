#pragma once
// The editor's conversions to and from UTF-8 and UTF-16. The three single-byte views convert among
// themselves through the 866 tables; a conversion that has Unicode on either side goes through it by the
// published charts instead, exactly as `vemkoconv convert` does, so its length may change and a
// character the target lacks becomes '?' and is counted.
#include <cstdint>
#include <string>
#include <string_view>

// Conversion code pages 0-4, kUtf8Conversion, kUtf16LeConversion and kUtf16BeConversion.
bool IsChartConversion(int source, int target);

// The text converted from `source` to `target` (conversion code pages 0-4 or the Unicode ones);
// `replaced` is set to the characters that became '?'. With `fido`, the result (which must be 866)
// also gets the Fido substitution. UTF-16 starts with its byte order mark only for a whole text.
std::string ConvertByCharts(std::string_view text, int source, int target, std::uint64_t& replaced, bool fido = false,
                            bool wholeText = true);

// The view code page that shows a conversion code page's text, or -1 for ISO 8859-5 and Mac
// Cyrillic, which no view shows.
int ViewOfConversionCodePage(int codePage);
// The conversion code page of a view code page.
int ConversionCodePageOfView(int view);
