#pragma once
// Names the encoding of a Russian text: pure ASCII, UTF-8, UTF-16 or UTF-32, or one of the five
// Cyrillic code pages, the last told apart by how likely the letters and letter pairs each reading
// gives are in Russian text (statistics learned from a corpus, encoding/russian_letter_statistics.cpp).
// The signs of Russian typography (« » „ “ — … №, the no-break space) and ё count where a code page
// has them. What reads as Russian in none of them (Latin, Greek, Hebrew or Asian text in their own
// encodings) is unknown, and data is binary; a text whose parts are in two code pages is mixed. This is the tool's detection; the editor's own guess on load is a
// different, fixed rule (document/code_page_guess.h).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "encoding/letter_classes.h"
#include "encoding/unicode_conversion.h"

// Detection looks at no more than this many bytes from the start of a text.
inline constexpr std::size_t kDetectionSample = 64 * 1024;

struct Detection {
    // Utf32LE and Utf32BE are named but cannot be converted.
    enum class Kind { Ascii, Encoding, Utf32LE, Utf32BE, Unknown, Binary };
    Kind kind = Kind::Unknown;
    TextEncoding encoding = TextEncoding::Utf8;  // when kind is Encoding
    bool byteOrderMark = false;                  // UTF-16 and UTF-32: named by their mark
    // 0-1: how sure the name is. For a code page it is both that the text is Cyrillic and that no other
    // of the five reads it as well; below kAutoConfidence a wrong name is seen, at or above it as good
    // as never (bench/detect_accuracy.sh measures it).
    double confidence = 0;
    // A text whose parts are in different code pages is named by its first part (`encoding`), at a
    // confidence below kAutoConfidence, with the code page of the next part and where it starts.
    bool mixed = false;
    TextEncoding mixedWith = TextEncoding::Utf8;
    std::size_t mixedFrom = 0;
};

// The confidence that `vemkoconv convert -f auto` needs before it converts a file.
inline constexpr double kAutoConfidence = 0.9;

// `sample` is the start of the text (or all of it); `complete` says it is all of it, so that a UTF-8
// sequence cut at its end is malformed rather than cut by the sample.
Detection DetectEncoding(std::string_view sample, bool complete);

// UTF-16 or UTF-32 alone: by the byte order mark when what follows it is text, or by where the zero
// bytes of its units fall; nothing when the sample is neither.
std::optional<Detection> DetectWideEncoding(std::string_view sample);

// Whether the text is named well enough to act on: ASCII, or an encoding that can be converted (not
// UTF-32), named with at least `minConfidence`.
bool IsNamed(const Detection& detection, double minConfidence = kAutoConfidence);

