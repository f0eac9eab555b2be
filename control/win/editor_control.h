#pragma once
// The program's own text control, registered as class "RICHEDIT": it holds the document's bytes and
// draws them decoded with the view code page, answering the rich-edit messages the program sends
// with their usual meanings, in byte offsets.
//
// The window is a view of a Document (document/document.h): the one passed as the lpParam of
// CreateWindowEx, or one of its own. Its keys and mouse become the document's calls, which keep the
// editing rules and record undo; whatever changes the document, the window draws.
//
// The class is an ANSI window, as the system's RICHEDIT is: the program sends its texts (WM_SETTEXT,
// EM_REPLACESEL, WM_GETTEXT, ...) as bytes, and a Unicode window would have them converted through
// the system code page on the way. The text messages change the document unrecorded; typing, the
// deleting keys, cut, paste, WM_CLEAR and a dragged selection are the document's recorded edits.
// WM_CHAR carries the keyboard's 1251 character, which goes in as the view's byte (in a Unicode view
// as the character's bytes). WM_UNICHAR carries a character of any script: a Unicode view takes
// every one, the others those of 1251; one the view cannot take is refused with the system's beep.
//
// The parent hears of what is its to do: the right button's release as WM_CONTEXTMENU, files
// dropped on the window as EN_DROPFILES (with ENM_DROPFILES in the event mask), a change of the
// keyboard layout as EN_INPUTLANGCHANGE (WM_COMMAND; the text's character set never follows it).
//
// Line breaks are CR LF, a lone CR or a lone LF; each ends a line. The text ends its lines as its
// first line break does (CR LF when it has none): Enter and a paste put in that kind, and only a
// line break of another kind shows a mark at the end of its line (a lone CR or LF its glyph, as the
// view decoding draws it, a CR LF that of its CR), so a mixed file shows where it is mixed.
#include <windows.h>

// The control's own message: wParam = view code page index (0 ANSI 1251, 1 OEM 866, 2 KOI8-R,
// 3 UTF-8: positions stay bytes, but the caret and selection ends stand at character starts).
// Only the drawing changes; the bytes never do. Returns the previous index.
#define EM_SETVIEWCODEPAGE (WM_USER + 0x200)
// Returns the view code page index.
#define EM_GETVIEWCODEPAGE (WM_USER + 0x201)
// lParam = the number of bytes the next EM_STREAMIN will bring: the control has the room for them
// at once, so a big load is neither copied as it grows nor held in more than about its own size.
#define EM_EXPECTSTREAMSIZE (WM_USER + 0x202)
// wParam = another control of this class: its text and line index move into this control in one
// step that cannot fail (the other is left with this one's text). Returns TRUE when moved.
#define EM_TAKETEXTFROM (WM_USER + 0x203)
// lParam = a table of 256 bytes: every byte of the selection is replaced by its entry, in place (a
// code page conversion, which copies nothing of the text). The table must keep CR and LF and make no
// other byte one of them; returns FALSE, changing nothing, when it does not.
#define EM_MAPBYTES (WM_USER + 0x205)
// Returns 0 when the message handled just before completed, or the system error code with which it
// failed (ERROR_NOT_ENOUGH_MEMORY: memory for the text ran out), and forgets it, so that a failure
// is reported once. A message that fails changes nothing: text, line index, colours, selection,
// modified flag and undo step stay as they were.
// A failed EM_STREAMIN or EM_STREAMOUT also sets EDITSTREAM::dwError.
#define EM_GETLASTFAILURE (WM_USER + 0x204)
// Returns the text's line ends: its kind (LineEndKind of encoding/line_ends.h: 0 CR LF, 1 LF, 2 CR)
// in the low byte, with kLineEndsMixed set when line breaks of another kind are there too. In the
// UTF-16 views the line breaks are those of code units.
#define EM_GETLINEENDS (WM_USER + 0x206)
inline constexpr LRESULT kLineEndsMixed = 0x100;

// Sent to the parent in WM_COMMAND when the window was told of a new keyboard layout.
#define EN_INPUTLANGCHANGE 0x0A01

bool RegisterEditorControlClass(HINSTANCE instance);
