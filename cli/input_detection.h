#pragma once
// An input's encoding told from its start, which the input gives again to whoever reads it next.
#include <optional>
#include <string>

#include "cli/file_io.h"
#include "encoding/unicode_conversion.h"

// What a file's encoding was found to be: an encoding, or pure ASCII (nullopt).
struct Detected {
    bool known = false;
    std::optional<TextEncoding> encoding;
    double confidence = 0;
};

Detected DetectInput(Input& in);

// A file whose encoding could not be told.
struct UnknownEncoding {
    std::string file;
};
