#pragma once
// How much a text looks like mojibake, in any language: the misfits that reading the bytes of one
// encoding as another puts between neighbouring characters of a word and that real text of any
// language seldom has (a symbol or a control inside a word, a change of alphabet or from a small
// letter to a capital in mid-word, an accent on no letter, rare characters), each at a cost; real
// text costs little, mojibake much. It knows no language, so it tells a damaged text from its undoing
// only where the damage changed how the characters sit together.
#include <cstddef>
#include <string_view>
#include <vector>

namespace mojibake {

struct Shape {
    double cost = 0;                // the misfits' cost, with what rare characters cost by themselves
    double signs = 0;               // what of it symbols beside letters cost ("€" in "называетс€")
    std::size_t beyondAscii = 0;    // characters beyond ASCII
    std::size_t letters = 0;        // letters of any alphabet
    std::size_t latinBeyondAscii = 0;  // Latin letters beyond ASCII...
    std::size_t latinInTheirWords = 0;  // ...and all the Latin letters of the words that hold them
    std::size_t cyrillic = 0;       // Cyrillic letters
    std::size_t controls = 0;       // control characters (but tab and line ends) and unassigned ones
};

Shape ShapeOf(std::u32string_view text);
// The text is Latin text with its few accented letters (not what a Russian undoing starts from):
// Latin text read right has mostly ASCII letters in the words that hold others; 1251 read as 1252
// has next to none ("Ïðèâåò").
bool LatinText(const Shape& shape);
// A line's shape, as ShapeOfUtf8 of the line alone gives it; the next line starts at `end`.
struct LineShape {
    std::size_t end = 0;
    Shape shape;
    std::size_t failed = 0, lost = 0;
};

// The shape of UTF-8 bytes, as ShapeOf of what DecodeCharacters reads them as (counting the bytes
// that do not decode in `failed` and the sequences cut by '?' in `lost`), without writing them out;
// `lines`, where given, gets the shape of each line (each ends after its '\n'), whose sum that is.
Shape ShapeOfUtf8(std::string_view bytes, std::size_t& failed, std::size_t& lost, std::vector<LineShape>* lines = nullptr);

// The cost of the shape of UTF-8 bytes, as ShapeOfUtf8 gives it; once it comes to `enough`, the rest
// is not looked at and what it came to is given.
double CostOfUtf8(std::string_view bytes, double enough);

// What `b` right after `a` inside a word costs, by itself: the rule the shape's walk looks up.
double MisfitBetween(char32_t a, char32_t b);

}  // namespace mojibake
