#pragma once
// Conversions over a whole input in blocks: memory stays at a few blocks whatever the input's size.
#include <string>
#include <string_view>

#include "cli/file_io.h"
#include "encoding/code_page_tables.h"
#include "encoding/unicode_conversion.h"

// Byte for byte through a map.
void RunMapped(const ConversionMap& map, Input& in, Output& out);

// Through Unicode; a character cut by a block's end is carried to the front of the next. The next
// block is read and the last one written while this one is converted: the system's copies into and
// out of its file cache cost as much as the conversion.
void RunUnicode(UnicodeConversion& conversion, Input& in, Output& out);

// A transform in the appending form `append(text, atEnd, result)` -> bytes consumed, which may hold
// back a byte or two at a block's end until the next block shows what they mean.
template <typename Append>
void RunStreamed(Input& in, Output& out, Append append) {
    Block block;
    std::string pending, result;
    while (std::size_t n = in.Read(block.data(), block.size())) {
        pending.append(block.data(), n);
        result.clear();
        pending.erase(0, append(pending, false, result));
        out.Write(result);
    }
    result.clear();
    append(pending, true, result);
    out.Write(result);
}
