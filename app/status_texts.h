#pragma once
// Texts of the status bar and the window title, apart from the windows that show them.
#include <cstdint>
#include <string>
#include <string_view>

#include "encoding/line_ends.h"

// Part 0 of the status bar: the column right-aligned in at least four places, a colon, the line
// ("   1:1" at the very start). Both count from 1.
std::string CaretPositionText(std::uint32_t column, std::uint32_t line);

// The part that names the text's line ends: "CR LF", "LF" or "CR", and for a text with line breaks of
// more than one kind its own kind with " (смешанные)" (1251).
std::string LineEndsText(LineEndKind kind, bool mixed);

// "[" + name + "]-VEMKO"
std::string WindowTitleFor(std::string_view name);
