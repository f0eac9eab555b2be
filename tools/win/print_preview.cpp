#include "tools/win/print_preview.h"

#include "document/win/program_document.h"

#include <richedit.h>
#include <windowsx.h>

#include <string>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/screen_scale.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "base/win/shown_text.h"
#include "resources/resource.h"
#include "tools/page_layout.h"
#include "tools/win/printing.h"

namespace {

struct PreviewState {
    HDC printer = nullptr;
    PageGeometry geometry;
    bool pageNumbers = false;
    int zoom = 1;
    POINT zoomPoint{0, 0};  // the last click on the page picture, in the picture's client pixels
    std::size_t pageStart = 0;
    std::size_t nextStart = 0;
    unsigned pageNumber = 1;
    HCURSOR zoomIn = nullptr;
    HCURSOR zoomOut = nullptr;
};

PreviewState* StateOf(HWND dialog) { return reinterpret_cast<PreviewState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

HWND Picture(HWND dialog) { return GetDlgItem(dialog, IDC_PREVIEW_PICTURE); }

std::size_t TextLength() { return EditorControl ? ProgramDocument().Length() : 0; }

void OnInitDialog(HWND dialog, PreviewState& state) {
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(Program().smallIcon));
    state.pageStart = 0;
    state.nextStart = 0;
    state.pageNumber = 1;
    // The title as shown, which may hold characters of a file name that 1251 lacks.
    wchar_t title[kFileNameCapacity + 1] = {};
    GetWindowTextW(MainWindow, title, kFileNameCapacity + 1);
    std::wstring caption = WideText("Просмотр: "_ui) + title;
    if (caption.size() > kFileNameCapacity) caption.resize(kFileNameCapacity);
    SetWindowTextW(dialog, caption.c_str());
    ShowWindow(dialog, SW_MAXIMIZE);
}

void OnSize(HWND dialog, const PreviewState& state, int width, int height) {
    RECT button{};
    GetWindowRect(GetDlgItem(dialog, IDC_PREVIEW_NEXT_PAGE), &button);
    PictureRect place = PreviewPicturePlace(width, height, button.bottom - button.top, state.geometry.page, WindowDpi(dialog));
    MoveWindow(Picture(dialog), place.x, place.y, place.width, place.height, FALSE);
    InvalidateRect(dialog, nullptr, TRUE);
}

void DrawPageNumber(HWND dialog, const PreviewState& state, HDC dc) {
    HWND numbers = GetDlgItem(dialog, IDC_PREVIEW_PAGE_NUMBER);
    std::string text = PageNumberText(state.pageNumber);
    SendMessageA(numbers, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    ApplyPageNumberLook(numbers);
    RECT band = PageNumberBandOn(state.printer, state.geometry, numbers, text);
    FORMATRANGE range = PageRequest(dc, state.printer, state.geometry, band, 0, 20);
    SendMessageA(numbers, EM_FORMATRANGE, 0, 0);
    SendMessageA(numbers, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    SendMessageA(numbers, EM_FORMATRANGE, 0, 0);
}

void DrawPage(HWND dialog, PreviewState& state, HDC dc, const RECT& area) {
    int saved = SaveDC(dc);
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkColor(dc, ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW)));
    // The page's units are those in which the text control draws into this context, its own pixels
    // per inch; the viewport then fits the page to the picture, whatever the monitor's scale. The
    // monitor's DPI would differ from the context's on a second monitor of another scale, and the
    // text would then be drawn too large or too small for its page.
    PreviewMapping mapping = PreviewMappingFor(
        GetDeviceCaps(state.printer, PHYSICALWIDTH), GetDeviceCaps(state.printer, PHYSICALHEIGHT),
        GetDeviceCaps(dc, LOGPIXELSX), GetDeviceCaps(dc, LOGPIXELSY), GetDeviceCaps(state.printer, LOGPIXELSX),
        GetDeviceCaps(state.printer, LOGPIXELSY), state.zoom, state.zoomPoint.x, state.zoomPoint.y);
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, mapping.windowWidth, mapping.windowHeight, nullptr);
    SetViewportExtEx(dc, area.right, area.bottom, nullptr);
    if (state.zoom != 1) SetViewportOrgEx(dc, mapping.originX, mapping.originY, nullptr);

    if (state.pageNumbers) DrawPageNumber(dialog, state, dc);
    std::size_t length = TextLength();
    FORMATRANGE range = PageRequest(dc, state.printer, state.geometry, ToRect(state.geometry.text),
                                    static_cast<LONG>(state.pageStart), static_cast<LONG>(length));
    // The layout is kept between pictures (it follows the printer and the text, which cannot
    // change meanwhile), so a page deep in a big text is not laid out from the top at every paint;
    // it is dropped when the preview closes.
    LRESULT next = SendMessageA(EditorControl, EM_FORMATRANGE, TRUE, reinterpret_cast<LPARAM>(&range));
    state.nextStart = static_cast<std::size_t>(next);
    bool moreText = state.nextStart < length;
    HWND button = GetDlgItem(dialog, IDC_PREVIEW_NEXT_PAGE);
    // Focus left on a disabled button would take the keyboard away from the dialog.
    if (!moreText && GetFocus() == button)
        PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_PREVIEW_FIRST_PAGE)), TRUE);
    EnableWindow(button, moreText);
    SetShownText(button, NextPageLabel(state.pageNumber, moreText));
    RestoreDC(dc, saved);
}

bool OverPicture(HWND dialog, POINT screenPoint) {
    RECT picture{};
    GetWindowRect(Picture(dialog), &picture);
    return PtInRect(&picture, screenPoint) != 0;
}

void OnMouseDown(HWND dialog, PreviewState& state, int x, int y) {
    POINT point{x, y};
    ClientToScreen(dialog, &point);
    if (!OverPicture(dialog, point)) return;
    ScreenToClient(Picture(dialog), &point);
    state.zoom = NextPreviewZoom(state.zoom);
    state.zoomPoint = point;
    InvalidateRect(Picture(dialog), nullptr, FALSE);
}

void OnCommand(HWND dialog, PreviewState& state, int id) {
    switch (id) {
    case IDC_PREVIEW_FIRST_PAGE:
        state.pageStart = 0;
        state.pageNumber = 1;
        InvalidateRect(Picture(dialog), nullptr, FALSE);
        break;
    case IDC_PREVIEW_NEXT_PAGE:
        // The button is disabled on the last page; a click that still arrives has no page to go to.
        if (state.nextStart >= TextLength()) break;
        state.pageStart = state.nextStart;
        ++state.pageNumber;
        InvalidateRect(Picture(dialog), nullptr, FALSE);
        break;
    case IDOK:
    case IDCANCEL: EndDialog(dialog, id); break;
    default: break;
    }
}

INT_PTR CALLBACK PreviewProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    PreviewState* state = StateOf(dialog);
    if (message == WM_INITDIALOG) {
        state = reinterpret_cast<PreviewState*>(lParam);
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        OnInitDialog(dialog, *state);
        return TRUE;
    }
    if (!state) return FALSE;
    switch (message) {
    case WM_SIZE: OnSize(dialog, *state, LOWORD(lParam), HIWORD(lParam)); return TRUE;
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IDC_PREVIEW_PICTURE) return FALSE;
        DrawPage(dialog, *state, item->hDC, item->rcItem);
        return TRUE;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: OnMouseDown(dialog, *state, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return TRUE;
    case WM_SETCURSOR: {
        POINT point{};
        GetCursorPos(&point);
        if (!OverPicture(dialog, point)) return FALSE;
        SetCursor(state->zoom == 1 ? state->zoomIn : state->zoomOut);
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
    }
    case WM_COMMAND: OnCommand(dialog, *state, LOWORD(wParam)); return TRUE;
    default: return FALSE;
    }
}

}  // namespace

void PrintPreview() {
    DeviceContext printer = GetPrinterContext();
    if (!printer) return;
    PreviewState state;
    state.printer = printer.get();
    state.geometry = PageGeometryOf(printer.get());
    state.pageNumbers = PageNumberApplies(state.geometry, Program().printing.pageNumbers);
    state.zoom = 1;
    state.zoomIn = LoadCursorA(Program().instance, MAKEINTRESOURCEA(IDCUR_ZOOM_IN));
    state.zoomOut = LoadCursorA(Program().instance, MAKEINTRESOURCEA(IDCUR_ZOOM_OUT));
    DialogBoxParamW(Program().instance, MAKEINTRESOURCEW(IDD_PRINT_PREVIEW), MainWindow, PreviewProc,
                    reinterpret_cast<LPARAM>(&state));
    SendMessageA(EditorControl, EM_FORMATRANGE, 0, 0);
}
