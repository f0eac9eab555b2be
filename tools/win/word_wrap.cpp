#include "tools/win/word_wrap.h"

#include "base/settings.h"
#include "base/win/program.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "resources/resource.h"

void ToggleWordWrap() {
    if (!EditorControl) return;
    const DWORD style = WordWrapStyle == 0 ? kNoWordWrapStyle : 0;
    if (!RebuildEditorControl(style)) {
        ReportLastError();
        return;
    }
    if (HMENU menu = GetMenu(MainWindow))
        CheckMenuItem(menu, IDM_WORD_WRAP, MF_BYCOMMAND | (style == 0 ? MF_CHECKED : MF_UNCHECKED));
    WriteSettingDword("WW", style);
}
