#pragma once
// What the editing work calls of the shell, the documents work and the menu tables. The owners'
// headers declare the same; this one keeps the editing files to a single list of what they use.
#include <windows.h>

#include <cstdint>

// The shell: windows, accelerators, failure reports, the status bar and the control's set-up.
extern HWND MainWindow;
extern HWND EditorControl;
extern HACCEL AcceleratorTable;
void ReportLastError();
void ShowCaretPosition();
void ShowEditMode();
// The control's own procedure, kept when the subclass replaces it.
extern WNDPROC EditorControlProcedure;
// Insert (false) or overwrite (true) typing; back to insert whenever the control is created.
extern bool OverwriteMode;

// The menu tables: entry 1 is the Edit pop-up.
extern HMENU SubMenus[];

// The documents work: the view code page, files and the save-changes question.
extern std::uint8_t CodePageIndex;
void ApplyViewCodePage();
void ShowKeyboardLayout();
bool ConfirmSaveChanges();
bool LoadFile(const char* path);

// CodePageIndex has just been set: shows the text in that view, keeping selection and scroll.
inline void ApplyViewCodePageOfIndex() { ApplyViewCodePage(); }
