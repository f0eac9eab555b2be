#pragma once
// The editor's conversions to and from UTF-8 and UTF-16. The three single-byte views convert among
// themselves through the 866 tables; a conversion that has Unicode on either side goes through it by the
// published charts instead, exactly as `vemkoconv convert` does, so its length may change and a
// character the target lacks becomes '?' and is counted.
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/text_encoding.h"

// The text converted; `replaced` is set to the characters that became '?'. With `fido`, the result
// (which must be 866) also gets the Fido substitution. UTF-16 starts with its byte order mark only
// for a whole text.
std::string ConvertByCharts(std::string_view text, const TextConversion& conversion, std::uint64_t& replaced,
                            bool wholeText = true);
