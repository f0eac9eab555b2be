#pragma once
// Which display lines of the text make up one printed page: the control lays the text out for the
// page's width on the target device, then takes lines from the page's first position downwards as
// long as they fit into the page's height.
#include <cstddef>
#include <vector>

#include "control/text_layout.h"

struct PageLine {
    std::size_t first = 0;  // the first byte drawn
    std::size_t last = 0;   // after the last byte drawn (line breaks are never drawn)
};

struct PageFit {
    std::vector<PageLine> lines;
    // The first position not on the page: the start of the next page, or `last` when the range
    // ended on this page.
    std::size_t next = 0;
};

// Lays out [first, last) from the display line that holds `first` (a page may start inside a line:
// the line is then taken from `first` on). A page always takes at least one line, even when the
// line is taller than the page, so that a page loop moves on whatever the sizes.
PageFit FitPage(TextLayout& layout, std::size_t first, std::size_t last, int lineHeight, int pageHeight);
