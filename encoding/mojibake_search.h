#pragma once
// The search for a chain of mis-readings behind a text (mojibake_repair.h): from each reading of the
// text as it is, each mis-reading that can have happened last is undone in turn, up to three deep,
// and the verdict weighs what each undoing gives against the text as it is.
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "encoding/misreading.h"
#include "encoding/mojibake_shape.h"

namespace mojibake {

// The text read in one encoding it can be in now.
struct SearchRoot {
    RepairEncoding now;
    std::u32string text;
    std::size_t failed = 0;  // bytes that did not decode
    std::size_t lost = 0;    // characters lost before (U+FFFD, or sequences cut by '?')
    bool references = false;  // HTML character references decoded
    std::optional<Shape> shape;  // the text's shape, where the caller has it already
};

// Whether a text of this shape, read as it is, can be undone at all: an undoing by UTF-8 or UTF-16
// must read kShapeMargin better than it, and the Russian statistics never undo Latin text with its
// few accented letters (most of what a clean text asks to be searched is such text: German, French).
bool MayBeUndone(const Shape& shape);

// `viewReading`: the text is shown in roots' encoding by a view, which may itself be the last reading.
RepairFinding SearchMisreadings(const std::vector<SearchRoot>& roots, bool viewReading);

}  // namespace mojibake
