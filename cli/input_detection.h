#pragma once
// An input's encoding told from its start, which the input gives again to whoever reads it next.
#include <optional>
#include <string>

#include "cli/arguments.h"
#include "cli/file_io.h"
#include "encoding/encoding_detection.h"
#include "encoding/unicode_conversion.h"

// What a file's encoding was found to be.
struct Detected {
    Detection detection;
    // Named well enough to convert: ASCII, or an encoding at the confidence asked for.
    bool usable = false;
    std::optional<TextEncoding> encoding;  // when usable; nullopt for ASCII
    const char* name = "unknown";          // as detect prints it: an encoding, ascii, binary or unknown
};

Detected DetectInput(Input& in, double minConfidence);

// --min-confidence, a number from 0 to 1; kAutoConfidence when not given.
double MinConfidence(const Arguments& args);

// A file that -f auto leaves alone, and why.
struct UnknownEncoding {
    std::string file;
    const char* name;  // what it was detected as
    std::string why;
};
UnknownEncoding LeftAlone(const std::string& file, const Detected& detected, double minConfidence);
