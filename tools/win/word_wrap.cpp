#include "tools/win/word_wrap.h"

#include "base/settings.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "resources/resource.h"

void ToggleWordWrap() {
    if (!EditorControl) return;
    const DWORD style = Program().switches.wordWrapStyle == 0 ? kNoWordWrapStyle : 0;
    if (!RebuildEditorControl(style)) {
        ReportLastError();
        return;
    }
    SendShellMessage(kSwitchChangedMessage, IDM_WORD_WRAP, style == 0);
    WriteSettingDword("WW", style);
}
