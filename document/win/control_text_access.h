#pragma once
// The text interface of the undo journal (and of the subclass's key decisions) answered by the
// EditorControl's own messages. It always acts on the current EditorControl, which a word-wrap
// switch may create anew; with no control every operation does nothing.
#include <windows.h>

#include "document/text_access.h"

class ControlTextAccess final : public TextAccess {
public:
    std::int32_t TextLength() override;
    void GetSelection(std::int32_t& start, std::int32_t& end) override;
    void SetSelection(std::int32_t start, std::int32_t end) override;
    std::size_t ReadRange(std::int32_t start, std::int32_t end, char* buffer) override;
    bool ReplaceSelection(std::string_view bytes) override;
    bool ClearSelection() override;
    std::int32_t WordBreakLeft(std::int32_t from) override;
    std::int32_t WordBreakRight(std::int32_t from) override;
    std::size_t StreamTextOut(char* buffer, std::size_t capacity) override;
    bool StreamTextIn(std::string_view bytes) override;
    std::uint8_t ViewCodePage() override;
    void ApplyViewCodePage(std::uint8_t codePage) override;
    void ReportOutOfMemory() override;
};

// The one text access of the EditorControl.
ControlTextAccess& EditorText();
// Makes it the undo journal's text; start-up calls it when the control is set up.
void InstallControlTextAccess();
