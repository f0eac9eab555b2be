#include "appearance/win/owner_drawn_menus.h"

#include "app/win/menu_tables.h"
#include "document/recent_files.h"
#include "resources/resource.h"

// A plain rendering: the text with its underlined mnemonic and its tab-separated right part, greyed
// and highlighted as the system draws its own items, in a column that leaves room for pictures.
namespace {

constexpr int kPictureColumn = 21;
constexpr int kRightMargin = 12;

HFONT ItemFont() { return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

// The text before the tab and the part after it (a shortcut such as "+").
void SplitAtTab(const std::string& text, std::string& left, std::string& right) {
    std::string::size_type tab = text.find('\t');
    left = text.substr(0, tab);
    right = tab == std::string::npos ? std::string() : text.substr(tab + 1);
}

}  // namespace

std::string OwnerDrawnItemText(UINT command) {
    if (command < IDM_RECENT_FIRST) return MenuText(command);
    if (command > IDM_RECENT_LAST) return {};
    int position = static_cast<int>(command - IDM_RECENT_FIRST);
    std::string path = RecentFilePath(position);
    if (path.empty()) return {};
    std::string::size_type slash = path.find_last_of('\\');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string label = "&";
    label += static_cast<char>('0' + position);
    label += ' ';
    // A lone "&" in a file name would underline the letter after it instead of showing itself.
    for (char c : name) {
        if (c == '&') label += '&';
        label += c;
    }
    return label;
}

void MeasureMenuItem(MEASUREITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return;
    std::string text = OwnerDrawnItemText(item.itemID);
    if (text.empty()) {
        item.itemWidth = 0;
        item.itemHeight = 0;
        return;
    }
    std::string left, right;
    SplitAtTab(text, left, right);
    HDC screen = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(screen, ItemFont());
    RECT leftSize{}, rightSize{};
    DrawTextA(screen, left.c_str(), -1, &leftSize, DT_CALCRECT | DT_SINGLELINE);
    if (!right.empty()) DrawTextA(screen, right.c_str(), -1, &rightSize, DT_CALCRECT | DT_SINGLELINE);
    SelectObject(screen, oldFont);
    ReleaseDC(nullptr, screen);
    int height = leftSize.bottom - leftSize.top;
    int menuHeight = GetSystemMetrics(SM_CYMENU);
    if (height < menuHeight) height = menuHeight;
    if (height < 18) height = 18;
    int width = kPictureColumn + (leftSize.right - leftSize.left) + kRightMargin;
    if (!right.empty()) width += kRightMargin + (rightSize.right - rightSize.left);
    item.itemWidth = static_cast<UINT>(width);
    item.itemHeight = static_cast<UINT>(height);
}

void DrawMenuItem(const DRAWITEMSTRUCT& item) {
    if (item.CtlType != ODT_MENU) return;
    std::string text = OwnerDrawnItemText(item.itemID);
    if (text.empty()) return;
    std::string left, right;
    SplitAtTab(text, left, right);

    bool selected = (item.itemState & ODS_SELECTED) != 0;
    bool greyed = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) != 0;
    HDC dc = item.hDC;
    RECT area = item.rcItem;
    FillRect(dc, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_MENU));

    COLORREF colour = GetSysColor(greyed ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
    COLORREF oldColour = SetTextColor(dc, colour);
    int oldMode = SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = SelectObject(dc, ItemFont());

    if (item.itemState & ODS_CHECKED) {
        RECT mark = area;
        mark.right = mark.left + kPictureColumn;
        DrawTextA(dc, "\x95", 1, &mark, DT_SINGLELINE | DT_VCENTER | DT_CENTER);
    }
    RECT textArea = area;
    textArea.left += kPictureColumn;
    textArea.right -= kRightMargin;
    DrawTextA(dc, left.c_str(), -1, &textArea, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    if (!right.empty()) DrawTextA(dc, right.c_str(), -1, &textArea, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);

    SelectObject(dc, oldFont);
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldColour);
}
