#include "appearance/html_tags.h"

#include <cstring>

std::optional<HtmlTag> NextHtmlTag(const char* text, std::size_t length, std::size_t from) {
    if (!text || from >= length) return std::nullopt;
    const char* end = text + length;
    const auto* open = static_cast<const char*>(std::memchr(text + from, '<', length - from));
    if (!open) return std::nullopt;
    for (const char* p = open + 1; p < end; ++p) {
        if (*p == '>') return HtmlTag{static_cast<std::size_t>(open - text), static_cast<std::size_t>(p + 1 - text)};
        if (*p == '<') open = p;
    }
    // The text ended inside the last '<': the scan is over, not to be taken up again at open + 1.
    return std::nullopt;
}

std::optional<HtmlTag> NextTagStretch(const char* text, std::size_t length, std::size_t from) {
    std::optional<HtmlTag> stretch = NextHtmlTag(text, length, from);
    while (stretch && stretch->end < length && text[stretch->end] == '<') {
        const std::optional<HtmlTag> next = NextHtmlTag(text, length, stretch->end);
        // The '<' right behind may give way to a later one: then the stretch ends here.
        if (!next || next->start != stretch->end) break;
        stretch->end = next->end;
    }
    return stretch;
}
