#include "document/win/read_selection_as.h"

#include <richedit.h>

#include "base/ui_text.h"
#include "base/win/list_choice.h"
#include "base/win/program.h"
#include "base/win/shown_text.h"
#include "document/win/conversion_commands.h"
#include "document/win/editor_window.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/text_encoding.h"
#include "document/win/conversion_chooser.h"
#include "resources/resource.h"

namespace {

// The encoding taken last is offered again while the program runs; first the one most often met
// beside another in one file.
int LastTaken = kOem866;

bool SelectionIsEmpty() { return ProgramDocument().SelectionStart() == ProgramDocument().SelectionEnd(); }

}  // namespace

int ChooseSelectionEncoding(HWND owner, int picked) {
    ListChoice choice;
    choice.dialog = IDD_READ_AS;
    choice.list = IDC_READ_AS_ENCODING;
    choice.fill = [picked](HWND, HWND list) { FillConversionCodePageList(list, static_cast<DWORD>(picked)); };
    return ChooseFromList(owner, choice);
}

void ReadSelectionAs() {
    if (!EditorControl) return;
    if (SelectionIsEmpty()) {
        ShowMessageBox(MainWindow, "Ничего не выделено: выделите часть текста, пришедшую в другой кодировке."_ui, "VEMKO",
                       MB_OK | MB_ICONINFORMATION);
        return;
    }
    // The selection stays in sight while the user looks for its encoding.
    SendMessageA(EditorControl, EM_HIDESELECTION, FALSE, TRUE);
    const int source = ChooseSelectionEncoding(MainWindow, LastTaken);
    if (EditorControl) SendMessageA(EditorControl, EM_HIDESELECTION, TRUE, TRUE);
    if (source < 0 || !EditorControl) return;
    LastTaken = source;
    // Read as what the view shows, the bytes are already written in it.
    const TextEncoding target = EncodingOfView(CodePageIndex);
    if (static_cast<TextEncoding>(source) == target) return;
    // As the conversion chooser converts: between the single-byte code pages by the 866 tables, with
    // Unicode on a side by the charts. A selection keeps the view.
    RunConversion({static_cast<TextEncoding>(source), target}, ConversionOrigin::Chooser);
}
