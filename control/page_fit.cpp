#include "control/page_fit.h"

#include <algorithm>

PageFit FitPage(TextLayout& layout, std::size_t first, std::size_t last, int lineHeight, int pageHeight) {
    PageFit fit;
    fit.next = last;
    if (first >= last) return fit;
    lineHeight = std::max(1, lineHeight);
    std::size_t room = static_cast<std::size_t>(std::max(1, pageHeight / lineHeight));
    std::size_t line = layout.DisplayLineFromPosition(first);
    std::size_t from = first;
    while (fit.lines.size() < room) {
        std::size_t end = std::min(layout.DisplayLineEnd(line), last);
        fit.lines.push_back({from, std::max(from, end)});
        std::size_t following = layout.DisplayLineStart(line + 1);
        if (following == TextModel::kNoPosition || following >= last) return fit;
        from = following;
        ++line;
    }
    fit.next = from;
    return fit;
}
