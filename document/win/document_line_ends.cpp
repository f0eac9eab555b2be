#include "document/win/document_line_ends.h"

#include "control/view_characters.h"
#include "control/win/editor_control.h"
#include "document/win/editor_window.h"
#include "document/win/view_code_page.h"

DocumentLineEnds LineEndsOfDocument() {
    if (!EditorControl) return {};
    const LRESULT answer = SendMessageA(EditorControl, EM_GETLINEENDS, 0, 0);
    const auto kind = static_cast<int>(answer & 0xFF);
    return {kind <= static_cast<int>(LineEndKind::Cr) ? static_cast<LineEndKind>(kind) : LineEndKind::CrLf,
            (answer & kLineEndsMixed) != 0};
}

std::string_view DocumentLineBreak() {
    return LineBreakOf(LineEndsOfDocument().kind, LineBreakUnitsOf(FormOfView(CodePageIndex)));
}

std::string WithDocumentLineEnds(std::string_view viewBytes) {
    return WithLineEndsIn(FormOfView(CodePageIndex), viewBytes, LineEndsOfDocument().kind);
}
