#pragma once
// The editor control's window state and the helpers its parts share: registration and dispatch
// (editor_control.cpp), the rich-edit messages and streams (editor_messages.cpp), painting and caret
// (editor_painting.cpp), keyboard and mouse input (editor_input.cpp), and the state and text changes
// all of them use (editor_state.cpp).
#include "control/win/editor_control.h"

#include <commdlg.h>
#include <richedit.h>
#include <richole.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "base/win/owned_handle.h"
#include "base/win/screen_scale.h"
#include "control/colour_runs.h"
#include "control/editing_state.h"
#include "control/rtf_reader.h"
#include "control/text_layout.h"
#include "control/text_model.h"
#include "control/text_search.h"
#include "control/view_decoding.h"
#include "control/win/page_formatter.h"
#include "control/win/view_glyphs.h"
#include "document/document.h"

namespace editor_control {

constexpr int kMargin = 2;
constexpr std::size_t kStreamBlock = 64 * 1024;
constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr std::size_t kNone = TextModel::kNoPosition;
// Posted to itself: set the scroll bars and place the caret once the messages of a burst are done.
constexpr UINT kRefreshMessage = WM_USER + 0x2F0;
// Where a position stands relative to the view (EditingState::RowOf).
constexpr long kAbove = EditingState::kAbove;
constexpr long kBelow = EditingState::kBelow;

// The window of one view of a Document: what it shows and how. The text, the selection with its
// rules, the view code page, overwrite mode and the colours are the document's; the window watches
// the document and draws whatever changed it (a key here, a command of the program, an undo step).
struct Editor final : DocumentWatcher {
    // A window made without a document (a dialog's, a test's) has one of its own.
    Editor(HWND w, Document* given)
        : window(w),
          own(given ? nullptr : std::make_unique<Document>()),
          doc(given ? *given : *own),
          text(doc.Text()),
          layout(doc.Layout()),
          colours(doc.Colours()),
          edit(doc.Editing()) {
        if (own) own->SetTextLimit(TextModel::kDefaultLimit);
        doc.AddWatcher(this);
    }
    ~Editor() { doc.RemoveWatcher(this); }

    void OnTextChanging(std::size_t first, std::size_t last) noexcept override;
    void OnTextChanged(const TextChange& change) noexcept override;
    void OnSelectionChanged() noexcept override;
    void OnViewChanged() noexcept override;

    HWND window;
    std::unique_ptr<Document> own;
    Document& doc;
    const TextModel& text;
    TextLayout& layout;
    ColourRuns& colours;
    // The selection, the caret's place, the view's scroll and the rules that move them.
    EditingState& edit;
    PageFormatter pages{text};

    // The view itself is moving the selection: the document's report of it is not news here.
    bool movingSelection = false;
    // What a change about to be made looked like on screen (OnTextChanging for OnTextChanged).
    struct PendingChange {
        long firstRow = kAbove;
        long lastRow = kAbove;
        bool nearView = false;
        std::size_t belowBefore = 0;
        LineEndKind lineEnd = LineEndKind::CrLf;
    } pending;
    // The first half of a character beyond the basic plane, typed as two WM_UNICHAR.
    char16_t pendingHighHalf = 0;

    // The font and colours the text is painted with, and the font's measures.
    struct Look {
        CHARFORMATA format{};
        COLORREF background = 0;
        bool systemBackground = true;
        GdiFont font;
        GdiFont smallFont;  // the UTF-8 view's boxes of stray bytes
        int lineHeight = 16;
        int averageWidth = 8;
    } look;

    // What the screen shows now (scroll bars, caret, the picture painted off screen) and what waits to
    // be brought up to date once the messages of a burst are done.
    struct Screen {
        // The view code page the font was measured for, and the overwrite mode the caret was made for.
        int shownView = 0;
        bool shownOverwrite = false;
        bool redraw = true;
        // What the scroll bars and the caret show now, so unchanged values are not set again: a run
        // of replacements sends thousands of messages, and each such call costs a trip to the display.
        SCROLLINFO shownVertical{};
        SCROLLINFO shownHorizontal{};
        // Pixels a unit of the horizontal scroll bar stands for: 1 unless the widest line is wider
        // than the bar's int range holds.
        std::int64_t horizontalUnit = 1;
        POINT shownCaret{-100000, -100000};
        bool caretPending = false;
        // The whole window waits for its repaint: more invalidation adds nothing (and each call is a
        // trip to the Wine server).
        bool wholeInvalid = false;
        bool scrollBarsPending = false;
        bool refreshPosted = false;
        // The off-screen picture painting draws into, kept while the size stays.
        GdiBitmap paintBitmap;
        SIZE paintSize{};
    } screen;

    // The keyboard focus, and whether the selection shows without it.
    struct Focus {
        bool held = false;
        bool showSelectionUnfocused = false;  // ES_NOHIDESEL, or EM_HIDESELECTION with lParam non-zero
        // EM_HIDESELECTION with lParam 0: shown (1) or hidden (0) until the focus next comes or goes;
        // -1: as the focus and the style say.
        int selectionShownForNow = -1;
    } focus;

    // The mouse: a press inside the selection that may become a text drag (a selecting drag is the
    // editing state's), where the dragged text would drop, and the scrolling while it is outside.
    struct Mouse {
        bool dragPending = false;
        bool dragging = false;
        POINT pressPoint{};
        std::size_t dropPosition = 0;
        bool autoScrolling = false;
    } mouse;

    // What the program that sends the rich-edit messages set up, and what it learns back: its
    // callback, the notifications it wants, the size the next stream-in announced, and how the
    // message handled last ended.
    struct RichEdit {
        IRichEditOleCallback* callback = nullptr;
        DWORD eventMask = 0;
        std::size_t expectedStreamSize = 0;
        DWORD lastFailure = 0;
    } richEdit;
};

Editor* EditorOf(HWND window);
LONG_PTR Style(const Editor& e);
bool Wraps(const Editor& e);
bool ReadOnly(const Editor& e);
bool SelectionShown(const Editor& e);
RECT ClientArea(const Editor& e);
// Tells the editing state the view's rows and width after a change of size or font.
void SyncViewSize(Editor& e);
COLORREF TextColour(const Editor& e);
COLORREF BackgroundColour(const Editor& e);
std::size_t ClampPosition(const Editor& e, LONG position);
void Invalidate(Editor& e);
void InvalidateRows(Editor& e, long first, long last);
void Notify(Editor& e, WORD code, DWORD mask);
void NotifySelectionChange(Editor& e);
int TextAreaWidth(Editor& e);
// The client x of a pixel of the text, kept within what drawing calls take however far the view or
// the pixel is along a long line.
int ClientX(const Editor& e, PixelX x);
void UpdateScrollBars(Editor& e);
void UpdateScrollBarsNow(Editor& e);
void PlaceCaret(Editor& e);
void PlaceCaretNow(Editor& e);
void MakeCaret(Editor& e);
// Painting, scroll bars and caret follow a view that moved.
void ViewMoved(Editor& e);
void ScrollTo(Editor& e, std::size_t top, std::int64_t x);
void ScrollCaretIntoView(Editor& e);
void InvalidateSelection(Editor& e);
void SetSelection(Editor& e, std::size_t anchor, std::size_t caret, bool scroll = true, bool atLineEnd = false);
// Repaints, scrolls and notifies after the editing state changed the selection; the rows of the old
// selection were invalidated before (InvalidateSelection).
void SelectionChanged(Editor& e, bool scroll);
// The same for a selection the document moved: repainted and notified, nobody else told.
void ShowSelection(Editor& e, bool scroll);
void MeasureFont(Editor& e);
void ApplyFont(Editor& e);
void AfterChangeUnfollowed(Editor& e, std::size_t caret) noexcept;
std::size_t ReplaceRange(Editor& e, std::size_t first, std::size_t last, std::string_view bytes, bool canUndo,
                         EditKind kind = EditKind::Other);
void ReplaceSelection(Editor& e, std::string_view bytes, bool canUndo, EditKind kind = EditKind::Other);
const ViewLetters& Letters(const Editor& e);
// False when the selection did not reach the clipboard (the failure is set).
bool CopySelection(Editor& e);
// Deletes the selection only once it is on the clipboard.
void CutSelection(Editor& e);
void Paste(Editor& e);
void OnPaint(Editor& e);
bool OnKeyDown(Editor& e, WPARAM key);
void OnChar(Editor& e, WPARAM code);
void OnCharacter(Editor& e, char32_t character);
EditingState::Place PlaceAtPoint(Editor& e, int x, int y);
void OnLeftButtonDown(Editor& e, int x, int y, bool doubleClick);
void OnMouseMove(Editor& e, int x, int y);
void OnAutoScrollTimer(Editor& e);
void EndMouse(Editor& e);
void OnLeftButtonUp(Editor& e, int x, int y);
void OnVerticalScroll(Editor& e, int code);
void OnHorizontalScroll(Editor& e, int code);
void OnHorizontalWheel(Editor& e, int delta);
void OnMouseWheel(Editor& e, int delta, WORD keys);
LRESULT StreamIn(Editor& e, WPARAM format, EDITSTREAM* stream);
LRESULT StreamOut(Editor& e, WPARAM format, EDITSTREAM* stream);
// The bytes [first, last) into out, terminated, straight from the text: a big selection is not
// copied on the way.
LRESULT CopyOut(const Editor& e, std::size_t first, std::size_t last, char* out);
LRESULT OnGetText(Editor& e, WPARAM size, char* out);
LRESULT OnSetText(Editor& e, const char* text);
void SetSelectionFromMessage(Editor& e, LONG first, LONG last);
LRESULT OnLineIndex(Editor& e, WPARAM line);
LRESULT OnLineLength(Editor& e, WPARAM position);
LRESULT OnFindText(Editor& e, WPARAM flags, FINDTEXTA* find, CHARRANGE* found);
LRESULT OnFindWordBreak(Editor& e, WPARAM code, LPARAM position);
LRESULT OnGetCharFormat(Editor& e, WPARAM scope, CHARFORMATA* out);
LRESULT OnSetCharFormat(Editor& e, WPARAM scope, const CHARFORMATA* in);
void OnSetFont(Editor& e, HFONT font);
LRESULT OnUndo(Editor& e);
LRESULT OnFormatRange(Editor& e, WPARAM render, LPARAM range);
LRESULT OnDisplayBand(Editor& e, LPARAM band);
// Font, layout and scroll for the document's view code page, which has just changed.
void ShowViewCodePage(Editor& e);
void OnCreate(Editor& e);
void OnSize(Editor& e);
LRESULT TakeTextFrom(Editor& e, HWND other);
LRESULT MapSelectedBytes(Editor& e, const std::uint8_t* byteFor);

// Runs the steps that follow a change already made; they only redraw and notify, so a failure
// among them must not be taken for a failure of the change.
template <typename Steps>
void FollowChange(Editor& e, std::size_t caret, Steps&& steps) {
    try {
        steps();
    } catch (const std::bad_alloc&) {
        AfterChangeUnfollowed(e, caret);
    }
}

}  // namespace editor_control
