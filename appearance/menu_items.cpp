#include "appearance/menu_items.h"

#include "base/screen_scale.h"
#include "control/text_search.h"
#include "document/recent_files.h"

namespace {

// At 96 dpi.
constexpr int kPictureColumn = 18;  // the frame's width; the text follows one pixel further
constexpr int kColumnGap = 1;
constexpr int kTextGap = 2;         // between the column's gap and the text
constexpr int kPictureSize = 16;
constexpr int kMinimumHeight = 18;
constexpr std::size_t kLongestWholeName = 13;
constexpr std::size_t kShortenedName = 12;

bool EndsWith(std::string_view text, std::string_view ending) {
    if (text.size() < ending.size()) return false;
    const auto& lower = LettersOfView(0).lower;
    const std::string_view tail = text.substr(text.size() - ending.size());
    for (std::size_t i = 0; i < ending.size(); ++i)
        if (lower[static_cast<unsigned char>(tail[i])] != static_cast<unsigned char>(ending[i])) return false;
    return true;
}

}  // namespace

std::string RecentFileName(std::string& path) {
    constexpr std::size_t kSearchedFrom = 2;
    std::size_t nameStart = path.size() < kSearchedFrom ? path.size() : kSearchedFrom;
    const std::size_t slash = path.find_last_of('\\');
    if (slash != std::string::npos && slash >= kSearchedFrom) nameStart = slash + 1;
    const auto& lower = LettersOfView(0).lower;
    for (std::size_t i = nameStart + 1; i < path.size(); ++i)
        path[i] = static_cast<char>(lower[static_cast<unsigned char>(path[i])]);
    std::string name = path.substr(nameStart);
    if (name.size() > kLongestWholeName) name = name.substr(0, kShortenedName) + "...";
    return name;
}

RecentFileLabelText RecentFileLabel(int position) {
    RecentFileLabelText result;
    if (position < 0 || position >= kRecentFileCount) return result;
    result.path = RecentFilePath(position);
    if (result.path.empty()) return result;
    result.label = {'&', static_cast<char>('0' + position), ' '};
    // An "&" of the name itself is doubled: alone it would underline the letter after it and vanish.
    for (char c : RecentFileName(result.path)) {
        if (c == '&') result.label += '&';
        result.label += c;
    }
    return result;
}

int MenuPictureSize(int dpi) { return ScaledForDpi(kPictureSize, dpi); }

MenuItemSize MeasuredMenuItem(int textWidth, int textHeight, int systemMenuHeight, int dpi) {
    int height = textHeight;
    if (height < ScaledForDpi(kMinimumHeight, dpi)) height = ScaledForDpi(kMinimumHeight, dpi);
    if (height < systemMenuHeight) height = systemMenuHeight;
    return {textWidth + ScaledForDpi(kPictureColumn, dpi), height};
}

RecentFileIcon IconForPath(std::string_view path) {
    if (EndsWith(path, ".htm") || EndsWith(path, ".html")) return RecentFileIcon::Html;
    if (EndsWith(path, ".txt")) return RecentFileIcon::Text;
    return RecentFileIcon::None;
}

MenuPicture PictureOfCommand(std::uint32_t id) {
    constexpr std::uint32_t kStandardImages = 15;
    constexpr std::uint32_t kProgramImages = 8;
    if (id >= 1 && id <= kStandardImages) return {PictureStrip::Standard, static_cast<int>(id - 1)};
    if (id >= 16 && id < 16 + kProgramImages) return {PictureStrip::Program, static_cast<int>(id - 16)};
    // The UTF-8 view has no image of its own: it shows the ANSI view's, the other view of today's texts.
    if (id == 54) return {PictureStrip::Program, 0};
    return {PictureStrip::None, 0};
}

bool ShowsPicture(std::uint32_t id, bool greyed, bool marked, RecentFileIcon icon) {
    if (greyed) return false;
    if (id >= 900 && id <= 909) return icon != RecentFileIcon::None;
    // 29-31 are never marked, and would have no image in the strip if they were: a frame around
    // nothing is no picture.
    if (id >= 900 || PictureOfCommand(id).strip == PictureStrip::None) return false;
    switch (id) {
    case 16: case 17: case 18: case 54: case 29: case 30: case 31: return marked;
    }
    return true;
}

MenuItemLayout LayOutMenuItem(ItemRect item, bool picture, int dpi) {
    const int column = ScaledForDpi(kPictureColumn, dpi), gap = ScaledForDpi(kColumnGap, dpi);
    MenuItemLayout layout{};
    layout.fill = item;
    if (picture) layout.fill.left += column + gap;
    layout.frame = {item.left, item.top, item.left + column, item.bottom};
    layout.text = layout.fill;
    layout.text.left += ScaledForDpi(kTextGap, dpi);
    if (!picture) layout.text.left += column + gap;
    layout.iconX = item.left;
    layout.stripX = item.left + gap;
    layout.pictureY = (item.top + item.bottom - MenuPictureSize(dpi)) / 2;
    return layout;
}
