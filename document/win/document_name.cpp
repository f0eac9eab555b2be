#include "document/win/document_name.h"

#include <cstring>

#include "base/ui_text.h"
#include "base/win/shown_text.h"

const char* const UntitledName = "БезИмени"_ui;
char CurrentFileName[kFileNameCapacity] = {};

namespace {

// The document's path as the file system has it, beside its 1251 text in CurrentFileName.
std::wstring DocumentWidePath;

}  // namespace

std::wstring DocumentPath() {
    if (DocumentWidePath.empty() || AnsiText(DocumentWidePath) != CurrentFileName) return WideText(CurrentFileName);
    return DocumentWidePath;
}

void SetDocumentPath(std::wstring_view path) {
    DocumentWidePath = path;
    lstrcpynA(CurrentFileName, AnsiText(path).c_str(), kFileNameCapacity);
}

bool DocumentIsUntitled() { return std::strcmp(CurrentFileName, UntitledName) == 0; }
