#pragma once
// What the owner-drawn menu items are made of, apart from any window: the label of a recent-file
// item, an item's size, whether it shows a picture and which, and where its frame, picture and text
// go inside the item's rectangle.
#include <cstdint>
#include <string>
#include <string_view>

// A recent file's label and full path; both empty when menu position `position` (0-9) holds no file.
struct RecentFileLabelText {
    std::string label;  // "&", the digit, a blank and the file's name, shortened
    std::string path;   // the path, its file name in small letters but for the first
};
RecentFileLabelText RecentFileLabel(int position);

// The name the label shows for a path: after its last backslash (never looked for in the first two
// characters: a path without one shows from its third character), every letter but the first in
// small letters (the path's own name part is turned so too), and a name of 14 or more characters
// cut to 12 followed by "...".
std::string RecentFileName(std::string& path);

// The pictures and the column they stand in are drawn for 96 dpi (16 pixels in a column of 18) and
// grow with the DPI of the menu's monitor: 24 in 27 at 144 dpi.
int MenuPictureSize(int dpi);

struct MenuItemSize {
    int width;
    int height;
};
// The size of an item whose text measures textWidth x textHeight in the menu font: room for the
// picture column, and never lower than the system's menu items or the column's 18 pixels at 96 dpi.
MenuItemSize MeasuredMenuItem(int textWidth, int textHeight, int systemMenuHeight, int dpi);

// The menu tables' sizes: the pop-ups of the menu bar, a text entry for each of the command ids
// 1-64 (entry id - 1, empty for an id no item has) and the mnemonics of the owner-drawn items.
inline constexpr int kSubMenuCount = 8;
inline constexpr int kMenuTextCount = 64;
inline constexpr int kMenuTextSize = 32;
inline constexpr int kMnemonicCapacity = 48;

struct MnemonicEntry {
    std::uint8_t popup;      // index into the pop-ups
    char character;          // the letter after "&", as 1251
    std::uint32_t command;
};

enum class RecentFileIcon { None, Html, Text };
// By the path's extension, in any case: ".htm" and ".html" the HTML icon, ".txt" the text icon.
RecentFileIcon IconForPath(std::string_view path);

enum class PictureStrip { None, Standard, Program };
struct MenuPicture {
    PictureStrip strip;
    int image;  // 16 x 16 images side by side in the strip
};
// The strip image of a command item: ids 1-15 from the system's standard images, 16 and up from the
// program's own strip of eight, and the UTF-8 view (54) the ANSI view's; None for an id that has no
// image there.
MenuPicture PictureOfCommand(std::uint32_t id);

// Whether an item shows its picture: never while greyed; the view code page and conversion items
// (16-18 and 54, 29-31) only while marked; a recent-file item when its file has an icon; any other command
// that has an image in a strip.
bool ShowsPicture(std::uint32_t id, bool greyed, bool marked, RecentFileIcon icon);

struct ItemRect {
    int left, top, right, bottom;
    bool operator==(const ItemRect&) const = default;
};
struct MenuItemLayout {
    ItemRect fill;   // filled with the menu or highlight colour: all but the picture column
    ItemRect frame;  // the picture's frame, when there is a picture
    ItemRect text;   // where the text is drawn, vertically centred; the same column with or without picture
    int iconX, stripX, pictureY;  // the recent-file icon, the strip image (MenuPictureSize square)
};
MenuItemLayout LayOutMenuItem(ItemRect item, bool picture, int dpi);
