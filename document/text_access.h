#pragma once
// What the undo journal may ask of the text control. The Win32 layer answers it with the editor
// control's messages (named beside each operation); tests answer it with an in-memory text. The
// journal uses nothing else, so whatever it does natively it can do on the real control.
//
// Positions are character offsets (one byte each, CR LF counts as two); a range is (first, after-last).
// Texts are bytes and may hold every value, NUL included: an implementation must not cut them at a NUL
// (read ranges by the count the control returns; put text holding a NUL in place of the selection by
// streaming it in with the selection flag rather than through EM_REPLACESEL, which stops at the NUL).
#include <cstddef>
#include <cstdint>
#include <string_view>

class TextAccess {
public:
    virtual ~TextAccess() = default;

    // WM_GETTEXTLENGTH
    virtual std::int32_t TextLength() = 0;
    // EM_EXGETSEL: start <= end.
    virtual void GetSelection(std::int32_t& start, std::int32_t& end) = 0;
    // EM_EXSETSEL; start == end puts the caret there.
    virtual void SetSelection(std::int32_t start, std::int32_t end) = 0;
    // EM_GETTEXTRANGE: copies [start, end) clipped to the text into buffer (room for end - start
    // bytes); returns the number of bytes copied.
    virtual std::size_t ReadRange(std::int32_t start, std::int32_t end, char* buffer) = 0;
    // The edits return false when the control could not make them (memory ran out); the text and
    // the selection are then as they were.
    // EM_REPLACESEL: the bytes take the place of the selection (are inserted at the caret when it is
    // empty); the caret ends after them.
    virtual bool ReplaceSelection(std::string_view bytes) = 0;
    // WM_CLEAR: deletes the selection.
    virtual bool ClearSelection() = 0;
    // EM_FINDWORDBREAK with WB_MOVEWORDLEFT / WB_MOVEWORDRIGHT.
    virtual std::int32_t WordBreakLeft(std::int32_t from) = 0;
    virtual std::int32_t WordBreakRight(std::int32_t from) = 0;
    // StreamTextOut of the whole text as plain text into buffer (room for capacity bytes); returns
    // the number of bytes written.
    virtual std::size_t StreamTextOut(char* buffer, std::size_t capacity) = 0;
    // StreamTextIn of plain text, replacing the whole text.
    virtual bool StreamTextIn(std::string_view bytes) = 0;
    // CodePageIndex, and ApplyViewCodePage: sets it and shows the text in that view, keeping the
    // selection and the scroll position.
    virtual std::uint8_t ViewCodePage() = 0;
    virtual void ApplyViewCodePage(std::uint8_t codePage) = 0;
    // ReportLastError with the system's text for "not enough memory": a record, or an edit of the
    // text, could not get the memory it needed.
    virtual void ReportOutOfMemory() = 0;
};
