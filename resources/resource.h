#pragma once
// Resource and command ids, shared by the resource scripts and the code.

// Icons and bitmaps
#define IDI_VEMKO 1
#define IDI_SMALL 2
#define IDI_HTML 3
#define IDB_STRIP_SMALL 1
#define IDB_STRIP_BIG 2
// The print preview's magnifiers: with a plus sign (whole page shown) and a minus sign (zoomed)
#define IDCUR_ZOOM_IN 1
#define IDCUR_ZOOM_OUT 2

// Menu and accelerators
#define IDR_MAINMENU 1
#define IDR_ACCELERATORS 1

// Dialogs
#define IDD_FIND_REPLACE 1
#define IDD_BYTE_PATCHER 2
#define IDD_CONFIRM_REPLACE 3
#define IDD_FONT_DIALOG 4
#define IDD_OPTIONS 5
#define IDD_CHARACTER_TABLE 6
#define IDD_PRINT_PREVIEW 7
#define IDD_CONVERSION_CHOOSER 8
#define IDD_REPAIR_CHOICE 9
#define IDD_READ_AS 10

// Controls of the print preview: back to page 1, next page, the page number's control, the picture
#define IDC_PREVIEW_FIRST_PAGE 101
#define IDC_PREVIEW_NEXT_PAGE 102
#define IDC_PREVIEW_PAGE_NUMBER 103
#define IDC_PREVIEW_PICTURE 104

// Controls of the conversion chooser: the source and the target code page lists
#define IDC_SOURCE_CODE_PAGE 101
#define IDC_TARGET_CODE_PAGE 102

// Controls of the choice between readings of the mojibake repair: the question, the readings by
// their first lines, and the chain of the one picked; OK and Cancel are IDOK and IDCANCEL
#define IDC_REPAIR_QUESTION 1300
#define IDC_REPAIR_READINGS 1301
#define IDC_REPAIR_CHAIN 1302

// Controls of "Прочитать выделенное как...": the question and the encodings; OK and Cancel are IDOK
// and IDCANCEL
#define IDC_READ_AS_QUESTION 1310
#define IDC_READ_AS_ENCODING 1311

// Controls of the byte patcher; its close button is IDCANCEL
#define IDC_WRITE_BYTE 103
#define IDC_OFFSET_LABEL 105
#define IDC_BYTE_LABEL 106
#define IDC_PATCH_FRAME 107
#define IDC_PATCH_OFFSET 201
#define IDC_PATCH_BYTE 211

// Controls of the font dialog; OK and Cancel are IDOK and IDCANCEL
#define IDC_FONT_SAMPLE 100
#define IDC_FONT_FACE 101
#define IDC_FONT_CHARACTER_SET 102
#define IDC_FONT_SIZE 103
#define IDC_FONT_BOLD 104
#define IDC_FONT_ITALIC 105

// Controls of the character table: the table, and "Копировать" (clipboard, insert, close); IDOK is
// "Копировать напрямую" (insert, stay open) and IDCANCEL "Закрыть"
#define IDC_CHARACTER_TABLE 101
#define IDC_COPY_CHARACTERS 102

// Controls of the find and replace dialog and of the replace confirmation
#define IDC_SEARCH_TEXT 101
#define IDC_WHOLE_WORD 102
#define IDC_MATCH_CASE 103
#define IDC_WHOLE_TEXT 104
#define IDC_SEARCH_BACKWARDS 105
#define IDC_SEARCH_FRAME 106
#define IDC_HEX_SEARCH 107
#define IDC_HEX_INPUT 108
#define IDC_REPLACE_TEXT 109
#define IDC_HEX_REPLACE 110
#define IDC_PROMPT_REPLACE 111
#define IDC_REPLACE_LABEL 112
#define IDC_REPLACE_ALL 6
#define IDC_STOP_REPLACING 7

// Controls of the options dialog; the up-down controls are made by the dialog, not the template
#define IDC_BIG_BUTTONS 101
#define IDC_OPTIONS_FRAME 107
#define IDC_SHOW_TOOLBAR 108
#define IDC_SHOW_STATUS_BAR 109
#define IDC_UNDO_JOURNAL 110
#define IDC_REMEMBER_WINDOW_SIZE 111
#define IDC_PARAGRAPH_GROUP 112
#define IDC_LEFT_INDENT 113
#define IDC_LEFT_INDENT_UPDOWN 114
#define IDC_RIGHT_MARGIN 115
#define IDC_RIGHT_MARGIN_UPDOWN 116
#define IDC_FIRST_LINE_INDENT 121
#define IDC_FIRST_LINE_INDENT_UPDOWN 122
#define IDC_IGNORE_LINE_BREAKS 144
#define IDC_REMEMBER_CARET 1001
#define IDC_RECOVERY_COPY 1320

// Menu commands
#define IDM_CUT 1
#define IDM_COPY 2
#define IDM_PASTE 3
#define IDM_UNDO 4
#define IDM_DELETE 6
#define IDM_NEW 7
#define IDM_OPEN 8
#define IDM_SAVE 9
#define IDM_PREVIEW 10
#define IDM_CHARACTER_TABLE 11
#define IDM_HELP 12
#define IDM_FIND 13
#define IDM_REPLACE 14
#define IDM_PRINT 15
#define IDM_VIEW_ANSI 16
#define IDM_VIEW_OEM 17
#define IDM_VIEW_KOI8 18
#define IDM_JUSTIFY 19
#define IDM_CENTRE 20
#define IDM_ALIGN_LEFT 21
#define IDM_ALIGN_RIGHT 22
#define IDM_PAGE_NUMBERS 23
#define IDM_PAGE_SETUP 24
#define IDM_WORD_WRAP 25
#define IDM_SAVE_AS 26
#define IDM_CONVERSION_CHOOSER 27
#define IDM_FIND_NEXT 28
#define IDM_TO_ANSI 29
#define IDM_TO_OEM 30
#define IDM_TO_KOI8 31
#define IDM_TO_FIDO 32
#define IDM_TRANSLIT 33
#define IDM_RTF_TO_ANSI 34
#define IDM_QUOTED_PRINTABLE 35
#define IDM_LINE_BREAK 36
#define IDM_OPTIONS 37
#define IDM_INSERT_FILE 38
#define IDM_DATE_TIME 39
#define IDM_FONT_ANSI 40
#define IDM_FONT_OEM 41
#define IDM_FONT_KOI8 42
#define IDM_REPLACE_BYTE 43
#define IDM_EXIT 44
#define IDM_CUSTOMIZE_TOOLBAR 45
#define IDM_BACKGROUND_COLOUR 46
#define IDM_TEXT_COLOUR 47
#define IDM_SELECT_ALL 48
#define IDM_SIZE_UP 49
#define IDM_SIZE_DOWN 50
#define IDM_ABOUT 51
#define IDM_HTML_COLOUR 52
#define IDM_HTML_REFRESH 53
#define IDM_VIEW_UTF8 54
#define IDM_FONT_UTF8 55
#define IDM_TO_UTF8 56
#define IDM_REPAIR_MOJIBAKE 57
#define IDM_READ_SELECTION_AS 58
// Every line break of the text or the selection made CR LF, LF or CR.
#define IDM_LINE_ENDS_CRLF 59
#define IDM_LINE_ENDS_LF 60
#define IDM_LINE_ENDS_CR 61
#define IDM_VIEW_UTF16_LE 62
#define IDM_VIEW_UTF16_BE 63
#define IDM_TO_UTF16_LE 64
#define IDM_CHORD_W 100
#define IDM_CHORD_D 101
#define IDM_CHORD_K 102
#define IDM_CTRL_ALT_FIRST 200
#define IDM_CTRL_ALT_LAST 207
#define IDM_RECENT_FIRST 900
#define IDM_RECENT_LAST 909
