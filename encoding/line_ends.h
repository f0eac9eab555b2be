#pragma once
// Line ends for text that comes from outside the editor: the alignment lays lines out with CR LF,
// and text whose lines end in LF alone is carried over to that and back.
#include <string>
#include <string_view>

enum class LineEnd { CrLf, Lf };

// LF when the text has a LF and no CR LF, CR LF otherwise.
LineEnd LineEndOf(std::string_view text);
// Every LF without a CR in front of it gets one.
std::string WithCrLf(std::string_view text);
// Every CR LF becomes a LF.
std::string WithLf(std::string_view text);
