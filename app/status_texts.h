#pragma once
// Texts of the status bar and the window title, apart from the windows that show them.
#include <cstdint>
#include <string>
#include <string_view>

// Part 0 of the status bar: the column right-aligned in at least four places, a colon, the line
// ("   1:1" at the very start). Both count from 1.
std::string CaretPositionText(std::uint32_t column, std::uint32_t line);

// "[" + name + "]-VEMKO"
std::string WindowTitleFor(std::string_view name);
