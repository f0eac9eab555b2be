#pragma once
// The stretches the HTML tag colouring paints: from a '<' to the next '>'. Nothing is parsed. A '<'
// that meets another '<' before any '>' gives way to it, so in "a < b <i>" only "<i>" is a tag; a
// '<' with no '>' after it is no tag, and a '>' with no '<' before it is plain text.
#include <cstddef>
#include <optional>

struct HtmlTag {
    std::size_t start;  // the '<'
    std::size_t end;    // just after the '>'
};

// The first tag that starts at or after `from` in the length bytes of text; nothing when there is
// none. Asked again from each tag's end, it reads the text once in all.
std::optional<HtmlTag> NextHtmlTag(const char* text, std::size_t length, std::size_t from);

// The next run of tags that follow one another with nothing between them ("</td><td>"), as one
// stretch from the first tag's start to the last one's end: they take the same colour, so the
// colouring paints them in one go. Every tag lies in exactly one stretch.
std::optional<HtmlTag> NextTagStretch(const char* text, std::size_t length, std::size_t from);
