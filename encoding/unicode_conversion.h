#pragma once
// Conversions that go through Unicode by the published charts: between UTF-8 (or UTF-16) and the five
// Cyrillic code pages, and between two code pages when the exact chart mapping is wanted instead of
// the editor's 866 pivot. A character the target lacks, a byte the source chart leaves unassigned and
// each byte of malformed UTF-8 (or each unpaired UTF-16 unit) becomes '?', and is counted.
//
// A UTF-8 or UTF-16 byte order mark at the start of the input is dropped; UTF-16 output starts with
// its own mark.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "encoding/code_page_tables.h"
#include "encoding/text_encoding.h"

namespace unicode {
struct ConversionTables;
}

// The Unicode character of byte `byte` in code page `codePage`, 0 where the chart leaves it unassigned.
char16_t CharacterOf(ConversionCodePage codePage, std::uint8_t byte);

class UnicodeConversion {
public:
    UnicodeConversion(TextEncoding from, TextEncoding to);
    ~UnicodeConversion();
    UnicodeConversion(const UnicodeConversion&) = delete;
    UnicodeConversion& operator=(const UnicodeConversion&) = delete;

    // The most bytes that Convert writes for `size` input bytes.
    static constexpr std::size_t MaxOutput(std::size_t size) { return 3 * size + 4; }

    struct Step {
        std::size_t consumed;
        std::size_t written;
    };
    // Converts what can be decided from `input` into `out` (room for MaxOutput(size) bytes). Unless
    // `atEnd`, a character cut by the end of `input` is left unconsumed, to be handed in again in front
    // of the next block; with `atEnd` such a fragment counts as malformed.
    Step Convert(const std::uint8_t* input, std::size_t size, bool atEnd, char* out);

    // The same in the appending form of the transforms: returns the bytes consumed.
    std::size_t Append(std::string_view text, bool atEnd, std::string& out);

    // Characters replaced by '?' so far.
    std::uint64_t Replaced() const { return replaced_; }

private:
    TextEncoding from_, to_;
    const unicode::ConversionTables* tables_;  // shared by every conversion of the pair, never changed
    bool atStart_ = true;
    std::uint64_t replaced_ = 0;
};

// Whole-text form: converts `text` and adds the count of replaced characters to `*replaced` when given.
std::string ConvertText(std::string_view text, TextEncoding from, TextEncoding to, std::uint64_t* replaced = nullptr);
