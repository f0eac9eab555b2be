#pragma once
// The names an encoding goes by on a command line: the one the tool prints and the other names other
// programs know it by, matched in any letter case.
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

#include "encoding/unicode_conversion.h"

struct EncodingNames {
    TextEncoding encoding;
    const char* name;  // the one the tool prints
    std::initializer_list<const char*> aliases;
};

// Every encoding, in the order of TextEncoding.
std::span<const EncodingNames> AllEncodingNames();

std::optional<TextEncoding> ParseEncoding(std::string_view name);
const char* EncodingName(TextEncoding encoding);
