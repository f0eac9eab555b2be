#pragma once
// Text between files and the EditorControl: load by name (with the code page guess), save under the
// document's name or a new one, insert a file in place of the selection, the three file dialogs, and
// the save-changes question that guards every operation throwing the text away. Also the two
// memory-streaming operations other parts use to copy the whole text out and a buffer back in.
//
// Files are plain bytes: nothing is converted on the way in or out; the view code page only chooses
// how the bytes are shown. The program keeps no copy of a file: it streams between the file and the
// control in the blocks the control asks for.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>
#include <shellapi.h>

#include <cstddef>
#include <cstdint>

#include "document/undo_journal.h"
#include "document/win/document_name.h"

// The memory of StreamTextOut and StreamTextIn.
struct MemoryStream {
    // Streaming in: the bytes available in buffer. Streaming out: the bytes written so far.
    std::uint32_t length = 0;
    char* buffer = nullptr;
    // Streaming out: the room in buffer. The callback stops the transfer rather than write past it.
    std::uint32_t capacity = 0;
};

// The plain-text stream flags, alone (replace the whole text) or with the selection flag (0x8001,
// replace the selection).
inline constexpr WPARAM kStreamWholeText = SF_TEXT;
inline constexpr WPARAM kStreamSelection = SF_TEXT | SFF_SELECTION;

// Streams the whole text out as plain text into stream.buffer from stream.length on; afterwards
// stream.length counts the bytes written. The buffer needs room for the text length + 2 bytes.
// False when the text did not fit or the control could not stream it.
bool StreamTextOut(MemoryStream& stream);
// Streams stream.buffer[0, stream.length) into the control as plain text; position starts at 0.
// False when the control could not take it (memory ran out): the text is then as it was, and the
// error code is set for ReportLastError.
bool StreamTextIn(MemoryStream& stream, WPARAM flags);
// The same for an edit the user can undo: the undo entry (kind, count) is recorded first; when the
// control cannot take the bytes, the entry goes again, and the text and the journal are as they were.
bool StreamTextInRecorded(UndoKind kind, std::int32_t count, const char* bytes, std::size_t size, WPARAM flags);

// Fills the record's fixed fields: owner, path length, hook and the six filters. Start-up calls it;
// the dialogs call it again when start-up has not.
void PrepareFileDialogRecord();
// The default extension of a filter index ("txt", "" for all files, ...), or nullptr for an index
// outside the list, which leaves the default extension as it was.
const char* DefaultExtension(DWORD filterIndex);
UINT_PTR CALLBACK FileDialogHook(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);


// Loads the file into the control in place of the whole text; true when loaded. Silent when the file
// cannot be opened; a file larger than TextLimit, a read error or a text the control cannot hold is
// reported, and then the document the control had stays, with its name, undo journal and view.
bool LoadFile(const wchar_t* path);
// The same by a path of 1251 text.
bool LoadFile(const char* path);
// Writes the text to CurrentFileName; true when written. The bytes go to a new file in the same
// folder, which takes the old file's place only once every byte is written and flushed: a failed
// save leaves the old file as it was and the document modified.
bool SaveDocument();
// The Save As dialog, then SaveDocument. True only when a name was chosen and the text was saved.
bool SaveDocumentAs();
// Command 9: Save As for the untitled document, else Save.
bool SaveCurrentDocument();
// Command 8 (after ConfirmSaveChanges): the Open dialog, then LoadFile.
void OpenDocument();
// Command 38: the Open dialog, then the file's bytes replace the selection, undoable in one step.
void InsertFile();
// Whether the caller may go on and discard the text: asks to save a modified document. After "Yes"
// it goes on only when the text was saved.
bool ConfirmSaveChanges();
// Files dropped on the text from the shell: the first is opened after the save-changes question.
void OpenDroppedFiles(HDROP drop);
