// The x of every kCheckpointSpacing-th position along long display lines, so a walk along such a
// line starts near where it is wanted.
#include <limits>

#include "control/text_layout_walk.h"

using text_layout_detail::ForgetLeastUsed;

namespace {

// Display lines with x checkpoints kept at once: the few used last.
constexpr std::size_t kKeptCheckpointLines = 64;

}  // namespace

TextLayout::Checkpoints& TextLayout::CheckpointsOf(std::size_t start) {
    for (Checkpoints& line : checkpoints_) {
        if (line.start != start) continue;
        line.used = ++useClock_;
        return line;
    }
    Checkpoints line;
    line.start = start;
    line.places.push_back(Place{0, 0});
    line.used = ++useClock_;
    ForgetLeastUsed(checkpoints_, kKeptCheckpointLines);
    checkpoints_.push_back(std::move(line));
    return checkpoints_.back();
}

// Built up to upTo (a position) or up to the first checkpoint beyond upToX, whichever comes first,
// and never past end.
void TextLayout::ExtendCheckpoints(Checkpoints& line, std::size_t end, std::size_t upTo, PixelX upToX) {
    Place last = line.places.back();
    std::size_t limit = std::min(upTo, end) - line.start;
    while (last.position + kCheckpointSpacing <= limit && last.x <= upToX) {
        PixelX x = last.x;
        // In the UTF-8 view the checkpoint is the first character start from there on.
        std::size_t next = line.start + last.position;
        VisitCharacters(next, line.start + last.position + kCheckpointSpacing,
                        [&](std::size_t at, const Utf8Character& c) {
                            x += Advance(c, x);
                            next = at + c.length;
                            return true;
                        });
        last = Place{next - line.start, x};
        line.places.push_back(last);
    }
}

TextLayout::Place TextLayout::CheckpointBefore(std::size_t start, std::size_t end, std::size_t position) {
    if (position - start < kCheckpointSpacing) return Place{start, 0};
    Checkpoints& line = CheckpointsOf(start);
    ExtendCheckpoints(line, end, position, std::numeric_limits<PixelX>::max());
    std::size_t k = std::min((position - start) / kCheckpointSpacing, line.places.size() - 1);
    while (k > 0 && line.places[k].position > position - start) --k;  // a checkpoint moved to a character start
    return Place{start + line.places[k].position, line.places[k].x};
}

TextLayout::Place TextLayout::CheckpointBeforeX(std::size_t start, std::size_t end, PixelX x) {
    if (end - start < kCheckpointSpacing) return Place{start, 0};
    Checkpoints& line = CheckpointsOf(start);
    ExtendCheckpoints(line, end, end, x);
    auto after = std::upper_bound(line.places.begin(), line.places.end(), x,
                                  [](PixelX value, const Place& place) { return value < place.x; });
    // Places kept from before an edit that shortened the line may lie past its end.
    while (after != line.places.begin() && (after - 1)->position > end - start) --after;
    if (after == line.places.begin()) return Place{start, 0};
    return Place{start + (after - 1)->position, (after - 1)->x};
}

void TextLayout::FollowCheckpoints(std::size_t first, std::size_t removed, std::size_t inserted) noexcept {
    for (std::size_t i = checkpoints_.size(); i-- > 0;) {
        Checkpoints& line = checkpoints_[i];
        if (first + removed < line.start) {
            line.start = line.start + inserted - removed;  // the bytes from its start on only moved
        } else if (first < line.start) {
            checkpoints_.erase(checkpoints_.begin() + static_cast<std::ptrdiff_t>(i));
        } else {
            // Checkpoints up to the first changed byte still hold: the bytes before it did not move.
            // In the views of characters a byte added may join the three before it into one.
            std::size_t kept = GoesByCharacters() ? first - std::min<std::size_t>(first - line.start, 3) : first;
            while (line.places.size() > 1 && line.start + line.places.back().position > kept) line.places.pop_back();
        }
    }
}
