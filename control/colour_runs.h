#pragma once
// Text colours over ranges of the control's text, as the HTML tag colouring sets them: a sorted
// list of places where the colour changes. Text inserted inside or at the end of a run takes that
// run's colour, as typed text takes the colour of the character before it; a deleted range takes
// its colour changes with it.
#include <cstddef>
#include <cstdint>
#include <vector>

class ColourRuns {
public:
    // The colour of text no run covers: the control's own text colour, whatever it is at the time.
    static constexpr std::uint32_t kDefault = 0xFFFFFFFF;

    void Clear() { runs_.clear(); }
    // Gives [first, last) the colour (kDefault for the control's text colour).
    void Set(std::size_t first, std::size_t last, std::uint32_t colour);
    std::uint32_t ColourAt(std::size_t position) const;
    // The first place after position where the colour changes, or kEnd.
    std::size_t NextChange(std::size_t position) const;
    static constexpr std::size_t kEnd = static_cast<std::size_t>(-1);

    // Follows an edit of the text: [first, first + removed) was replaced by inserted bytes.
    void OnReplace(std::size_t first, std::size_t removed, std::size_t inserted);

    bool Empty() const { return runs_.empty(); }

private:
    struct Run {
        std::size_t start;
        std::uint32_t colour;
    };
    std::size_t IndexAfter(std::size_t position) const;  // first run starting beyond position
    std::size_t IndexFrom(std::size_t position) const;   // first run starting at or beyond position
    std::uint32_t ColourBefore(std::size_t index) const;  // the colour up to run index

    // Ascending starts; the colour holds up to the next start and differs from the colour before.
    std::vector<Run> runs_;
};
