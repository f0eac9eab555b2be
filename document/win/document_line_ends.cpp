#include "document/win/document_line_ends.h"

#include "control/view_characters.h"
#include "control/win/editor_control.h"
#include "base/win/program.h"
#include "document/win/program_document.h"
#include "document/win/view_code_page.h"

DocumentLineEnds LineEndsOfDocument() {
    if (!EditorControl) return {};
    const Document& document = ProgramDocument();
    return {document.LineEndMode(), document.LineEndsMixed()};
}

std::string_view DocumentLineBreak() {
    return LineBreakOf(LineEndsOfDocument().kind, LineBreakUnitsOf(FormOfView(CodePageIndex)));
}

std::string WithDocumentLineEnds(std::string_view viewBytes) {
    return WithLineEndsIn(FormOfView(CodePageIndex), viewBytes, LineEndsOfDocument().kind);
}
