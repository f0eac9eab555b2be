#pragma once
// A document as a load leaves it, for the tests of the document's rules: the text in, no undo
// record, the caret at the start, a limit no test reaches.
#include <string>
#include <string_view>

#include "document/document.h"

struct LoadedDocument : Document {
    explicit LoadedDocument(std::string_view text = {}, std::uint8_t view = 0) {
        SetTextLimit(TextModel::kLargestLimit);
        Replace(0, 0, text, UndoKind::NotRecorded);
        SetModified(false);
        SetViewCodePage(view);
        Select(0, 0);
    }
    std::string Bytes() const { return Text().Text(); }
    void Caret(std::size_t position) { Select(position, position); }
    void TypeAll(std::string_view typed) {
        for (char c : typed) TypeAnsi(static_cast<std::uint8_t>(c));
    }
    // A whole-text rewrite (a conversion, a transform, a replace run, a drop).
    void Rewrite(std::string_view text) { Replace(0, Length(), text, UndoKind::TextSnapshot); }
};
