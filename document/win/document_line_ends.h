#pragma once
// The document's line ends as the EditorControl keeps them: the kind its lines end with (that of its
// first line break, CR LF without one) and whether breaks of another kind are there too. Whatever puts
// a line break into the text puts in this kind, in the view's units.
#include <string>
#include <string_view>

#include "encoding/line_ends.h"

struct DocumentLineEnds {
    LineEndKind kind = LineEndKind::CrLf;
    bool mixed = false;
};

// EM_GETLINEENDS of the EditorControl; a CR LF text without one.
DocumentLineEnds LineEndsOfDocument();
// The bytes of the document's line break in the view code page's units (two or four in UTF-16).
std::string_view DocumentLineBreak();
// Bytes of the view with every line break made the document's kind.
std::string WithDocumentLineEnds(std::string_view viewBytes);
