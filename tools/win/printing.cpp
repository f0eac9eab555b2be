#include "tools/win/printing.h"

#include "document/win/program_document.h"

#include <commdlg.h>

#include <algorithm>
#include <cstring>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "document/win/editor_window.h"
#include "document/win/document_name.h"
#include "control/win/page_formatter.h"
#include "base/win/shown_text.h"
#include "resources/resource.h"

namespace {

// The main window takes no commands while pages are counted or sent.
class MainWindowDisabled {
public:
    MainWindowDisabled() { EnableWindow(MainWindow, FALSE); }
    ~MainWindowDisabled() { EnableWindow(MainWindow, TRUE); }
    MainWindowDisabled(const MainWindowDisabled&) = delete;
    MainWindowDisabled& operator=(const MainWindowDisabled&) = delete;
};

// The dialogs free or reuse the blocks they were given themselves; what they return is the choice.
void StoreChoice(HGLOBAL devMode, HGLOBAL devNames) { Program().printing.choice = {devMode, devNames}; }

DeviceContext ContextOfChoice() {
    if (!Program().printing.choice.devMode || !Program().printing.choice.devNames) return {};
    auto* names = static_cast<DEVNAMES*>(GlobalLock(Program().printing.choice.devNames));
    auto* mode = static_cast<DEVMODEA*>(GlobalLock(Program().printing.choice.devMode));
    DeviceContext dc;
    if (names && mode) {
        const char* base = reinterpret_cast<const char*>(names);
        dc.reset(CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, nullptr, mode));
    }
    if (mode) GlobalUnlock(Program().printing.choice.devMode);
    if (names) GlobalUnlock(Program().printing.choice.devNames);
    return dc;
}

void ClearLayoutCache(HWND control) { SendMessageA(control, EM_FORMATRANGE, 0, 0); }

std::size_t TextLength() { return EditorControl ? ProgramDocument().Length() : 0; }

// Lays out [first, end) from first into the text rectangle without drawing; the first position
// after the page.
std::size_t LayOutText(HWND control, HDC printer, const PageGeometry& geometry, std::size_t first, std::size_t end) {
    FORMATRANGE range = PageRequest(printer, printer, geometry, ToRect(geometry.text), static_cast<LONG>(first),
                                    static_cast<LONG>(end));
    return static_cast<std::size_t>(SendMessageA(control, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&range)));
}

// The printer side of a job: the page number control (when numbers are printed) and the text.
class PrinterPages final : public PrintPages {
public:
    PrinterPages(HDC printer, const PageGeometry& geometry, HWND numbers, std::size_t end)
        : printer_(printer), geometry_(geometry), numbers_(numbers), end_(end) {}

    void BeginRun() override { ClearLayoutCache(EditorControl); }

    std::size_t LayOutPage(std::size_t start, unsigned number) override {
        if (numbers_) {
            std::string text = PageNumberText(number);
            SendMessageA(numbers_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
            numberBand_ = PageNumberBandOn(printer_, geometry_, numbers_, text);
            FORMATRANGE range = PageRequest(printer_, printer_, geometry_, numberBand_, 0, -1);
            SendMessageA(numbers_, EM_FORMATRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
        }
        return LayOutText(EditorControl, printer_, geometry_, start, end_);
    }

    void SendPage(unsigned) override {
        StartPage(printer_);
        if (numbers_) SendMessageA(numbers_, EM_DISPLAYBAND, 0, reinterpret_cast<LPARAM>(&numberBand_));
        RECT text = ToRect(geometry_.text);
        SendMessageA(EditorControl, EM_DISPLAYBAND, 0, reinterpret_cast<LPARAM>(&text));
        EndPage(printer_);
    }

private:
    HDC printer_;
    PageGeometry geometry_;
    HWND numbers_;
    std::size_t end_;
    RECT numberBand_{};
};

HWND CreatePageNumberControl() {
    HWND control = CreateWindowExA(0, "RICHEDIT", nullptr, WS_CHILD, 0, 0, CW_USEDEFAULT, CW_USEDEFAULT, MainWindow,
                                   nullptr, Program().instance, nullptr);
    if (control) ApplyPageNumberLook(control);
    return control;
}

}  // namespace

RECT ToRect(const TwipRect& twips) { return {twips.left, twips.top, twips.right, twips.bottom}; }

FORMATRANGE PageRequest(HDC output, HDC printer, const PageGeometry& geometry, const RECT& rect, LONG first, LONG last) {
    FORMATRANGE range{};
    range.hdc = output;
    range.hdcTarget = printer;
    range.rc = rect;
    range.rcPage = ToRect(geometry.page);
    range.chrg = {first, last};
    return range;
}

DeviceContext GetPrinterContext() {
    if (DeviceContext dc = ContextOfChoice()) return dc;
    ReleasePrinterChoice();
    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = MainWindow;
    request.Flags = PD_RETURNDC | PD_RETURNDEFAULT;
    if (!PrintDlgA(&request)) return {};
    StoreChoice(request.hDevMode, request.hDevNames);
    return DeviceContext(request.hDC);
}

void ReleasePrinterChoice() {
    if (Program().printing.choice.devMode) GlobalFree(Program().printing.choice.devMode);
    if (Program().printing.choice.devNames) GlobalFree(Program().printing.choice.devNames);
    Program().printing.choice = {};
}

PageGeometry PageGeometryOf(HDC printer) {
    Margins margins{Program().printing.margins.left, Program().printing.margins.top, Program().printing.margins.right, Program().printing.margins.bottom};
    return ComputePageGeometry(GetDeviceCaps(printer, PHYSICALWIDTH), GetDeviceCaps(printer, PHYSICALHEIGHT),
                               GetDeviceCaps(printer, LOGPIXELSX), GetDeviceCaps(printer, LOGPIXELSY), margins);
}

void ApplyPageNumberLook(HWND numberControl) {
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    if (EditorControl) SendMessageA(EditorControl, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
    format.dwMask = CFM_FACE | CFM_CHARSET | CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_SIZE;
    format.yHeight = 0;
    SendMessageA(numberControl, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageA(numberControl, EM_SETBKGNDCOLOR, 0, ReadSettingDword("Bk", GetSysColor(COLOR_WINDOW)));
}

RECT PageNumberBandOn(HDC printer, const PageGeometry& geometry, HWND numberControl, const std::string& text) {
    // Measured in the font the number control draws in, so the number stands in the middle.
    CHARFORMATA format{};
    format.cbSize = sizeof format;
    SendMessageA(numberControl, EM_GETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    LOGFONTW logFont = EditorLogFont(format, GetDeviceCaps(printer, LOGPIXELSY));
    GdiFont font(CreateFontIndirectW(&logFont));
    HGDIOBJ old = font ? SelectObject(printer, font.get()) : nullptr;
    SIZE size{};
    GetTextExtentPoint32A(printer, text.c_str(), static_cast<int>(text.size()), &size);
    if (old) SelectObject(printer, old);
    TwipRect band = PageNumberBand(geometry, PixelsToTwips(size.cx, GetDeviceCaps(printer, LOGPIXELSX)),
                                   PixelsToTwips(size.cy, GetDeviceCaps(printer, LOGPIXELSY)));
    return ToRect(band);
}

void CountPages() {
    unsigned count = 0;
    if (DeviceContext printer = GetPrinterContext()) {
        MainWindowDisabled disabled;
        std::size_t length = TextLength();
        PageGeometry geometry = PageGeometryOf(printer.get());
        ClearLayoutCache(EditorControl);
        count = CountTextPages(length, [&](std::size_t start) {
            return LayOutText(EditorControl, printer.get(), geometry, start, length);
        });
        printer.reset();
        ClearLayoutCache(EditorControl);
    }
    std::string caption = PageCountCaption(count);
    int answer = ShowMessageBox(MainWindow, "Включить номера страниц?"_ui, caption,
                                MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2);
    Program().printing.pageNumbers = answer == IDYES;
    SendShellMessage(kSwitchChangedMessage, IDM_PAGE_NUMBERS, Program().printing.pageNumbers);
}

void PageSetup() {
    PAGESETUPDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = MainWindow;
    request.hDevMode = Program().printing.choice.devMode;
    request.hDevNames = Program().printing.choice.devNames;
    // Always in hundredths of a millimetre, as a Russian system shows them anyway: in a locale that
    // counts in inches the dialog's thousandths of an inch, taken as 2500ths, would print margins
    // of less than half the size the user typed.
    request.Flags = PSD_MARGINS | PSD_INHUNDREDTHSOFMILLIMETERS;
    request.rtMargin = Program().printing.margins;
    BOOL confirmed = PageSetupDlgA(&request);
    // Also after a cancel the blocks the dialog returns are the live ones.
    StoreChoice(request.hDevMode, request.hDevNames);
    if (confirmed) Program().printing.margins = request.rtMargin;
}

void PrintDocument() {
    CHARRANGE selection{};
    if (EditorControl)
        selection = {static_cast<LONG>(ProgramDocument().SelectionStart()), static_cast<LONG>(ProgramDocument().SelectionEnd())};
    PRINTDLGA request{};
    request.lStructSize = sizeof request;
    request.hwndOwner = MainWindow;
    request.hDevMode = Program().printing.choice.devMode;
    request.hDevNames = Program().printing.choice.devNames;
    request.Flags = PD_RETURNDC;
    if (selection.cpMax - selection.cpMin < 2) request.Flags |= PD_NOSELECTION;
    request.nFromPage = kLastPossiblePage;
    request.nToPage = kLastPossiblePage;
    request.nMinPage = 1;
    request.nMaxPage = kLastPossiblePage;
    request.nCopies = 1;
    BOOL confirmed = PrintDlgA(&request);
    StoreChoice(request.hDevMode, request.hDevNames);
    if (!confirmed) return;
    DeviceContext printer(request.hDC);
    if (!printer) return;

    // The job is named by the title as shown, file name characters that 1251 lacks included.
    wchar_t title[kFileNameCapacity + 1] = {};
    GetWindowTextW(MainWindow, title, kFileNameCapacity);
    DOCINFOW document{};
    document.cbSize = sizeof document;
    document.lpszDocName = title;
    if (request.Flags & PD_PRINTTOFILE) document.lpszOutput = L"FILE:";
    if (StartDocW(printer.get(), &document) <= 0) return;

    MainWindowDisabled disabled;
    PrintRequest job;
    job.copies = request.nCopies;
    job.collate = (request.Flags & PD_COLLATE) != 0;
    job.pageRange = (request.Flags & PD_PAGENUMS) != 0;
    job.firstPage = request.nFromPage;
    job.lastPage = job.pageRange ? request.nToPage : kLastPossiblePage;
    job.first = 0;
    job.end = TextLength();
    if (request.Flags & PD_SELECTION) {
        job.first = static_cast<std::size_t>(selection.cpMin);
        job.end = static_cast<std::size_t>(selection.cpMax);
    }
    PageGeometry geometry = PageGeometryOf(printer.get());
    HWND numbers = PageNumberApplies(geometry, Program().printing.pageNumbers) ? CreatePageNumberControl() : nullptr;
    PrinterPages pages(printer.get(), geometry, numbers, job.end);
    RunPrintJob(job, pages);
    EndDoc(printer.get());
    printer.reset();
    if (numbers) DestroyWindow(numbers);
    ClearLayoutCache(EditorControl);
}
