#pragma once
// An in-memory stand-in for the editor control: the TextAccess operations the journal uses, plus
// the control's own handling of the keys the subclass passes on (typing, Enter, Delete, Backspace),
// done the way the control does them: CR LF is one unit for Delete and Backspace, and overwrite mode
// puts a character typed in front of a line break beside it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "document/text_access.h"

class MemoryText final : public TextAccess {
public:
    std::string text;
    std::int32_t selStart = 0;
    std::int32_t selEnd = 0;
    std::uint8_t codePage = 0;
    // Which characters overwrite mode types in front of instead of over. The control counts CR as a
    // line break; a control that also kept a lone LF must be served as well.
    bool overwriteKeepsLf = false;
    int errorsReported = 0;
    bool failNextRead = false;  // ReadRange throws as an allocation failure would
    int editsToFail = 0;        // the next edits fail as the control's do when memory runs out

    explicit MemoryText(std::string initial = {}) : text(std::move(initial)) {}

    // TextAccess
    std::int32_t TextLength() override { return static_cast<std::int32_t>(text.size()); }
    void GetSelection(std::int32_t& start, std::int32_t& end) override {
        start = selStart;
        end = selEnd;
    }
    void SetSelection(std::int32_t start, std::int32_t end) override {
        start = Clamp(start);
        end = Clamp(end);
        // As the control: a caret between the CR and the LF of a pair stands at the pair's start.
        if (start == end && start > 0 && IsCrLfAt(start - 1)) start = end = start - 1;
        selStart = std::min(start, end);
        selEnd = std::max(start, end);
    }
    std::size_t ReadRange(std::int32_t start, std::int32_t end, char* buffer) override {
        if (failNextRead) {
            failNextRead = false;
            throw std::bad_alloc();
        }
        start = Clamp(start);
        end = Clamp(end);
        if (end <= start) return 0;
        std::memcpy(buffer, text.data() + start, static_cast<std::size_t>(end - start));
        return static_cast<std::size_t>(end - start);
    }
    bool ReplaceSelection(std::string_view bytes) override {
        if (EditFails()) return false;
        text.replace(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selEnd - selStart), bytes);
        selStart = selEnd = selStart + static_cast<std::int32_t>(bytes.size());
        if (IsCrLfAt(selStart - 1)) selStart = selEnd = selStart - 1;
        return true;
    }
    bool ClearSelection() override { return ReplaceSelection({}); }
    std::int32_t WordBreakLeft(std::int32_t from) override;
    std::int32_t WordBreakRight(std::int32_t from) override;
    std::size_t StreamTextOut(char* buffer, std::size_t capacity) override {
        std::size_t n = std::min(capacity, text.size());
        std::memcpy(buffer, text.data(), n);
        return n;
    }
    bool StreamTextIn(std::string_view bytes) override {
        if (EditFails()) return false;
        text.assign(bytes);
        selStart = selEnd = 0;
        return true;
    }
    std::uint8_t ViewCodePage() override { return codePage; }
    void ApplyViewCodePage(std::uint8_t page) override { codePage = page; }
    void ReportOutOfMemory() override { ++errorsReported; }
    bool EditFails() {
        if (editsToFail == 0) return false;
        --editsToFail;
        return true;
    }

    // The control's own key handling.
    bool KeepsInFrontOf(char c) const { return c == '\r' || (overwriteKeepsLf && c == '\n'); }
    void ControlChar(char ch, bool overwrite) {
        if (overwrite && selStart == selEnd && selStart < TextLength() && !KeepsInFrontOf(text[selStart])) selEnd = selStart + 1;
        ReplaceSelection(std::string_view(&ch, 1));
    }
    void ControlEnter() { ReplaceSelection("\r\n"); }
    void ControlDelete() {
        if (selStart != selEnd) {
            ClearSelection();
            return;
        }
        if (selStart >= TextLength()) return;
        selEnd = selStart + (IsCrLfAt(selStart) ? 2 : 1);
        ClearSelection();
    }
    void ControlBackspace() {
        if (selStart != selEnd) {
            ClearSelection();
            return;
        }
        if (selStart < 1) return;
        selStart -= (selStart >= 2 && IsCrLfAt(selStart - 2)) ? 2 : 1;
        ClearSelection();
    }

    // Lines end at CR LF, a lone CR or a lone LF.
    std::int32_t LineStartOf(std::int32_t position) const {
        std::int32_t p = position;
        while (p > 0 && !(text[p - 1] == '\n' || (text[p - 1] == '\r' && !IsCrLfAt(p - 1)))) --p;
        return p;
    }
    // The start of the next line, or -1 on the last line.
    std::int32_t NextLineStart(std::int32_t lineStart) const {
        std::int32_t p = lineStart, n = static_cast<std::int32_t>(text.size());
        while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
        if (p >= n) return -1;
        return p + (IsCrLfAt(p) ? 2 : 1);
    }
    std::int32_t LineLengthAt(std::int32_t lineStart) const {
        std::int32_t p = lineStart, n = static_cast<std::int32_t>(text.size());
        while (p < n && text[p] != '\r' && text[p] != '\n') ++p;
        return p - lineStart;
    }

    bool IsCrLfAt(std::int32_t p) const {
        return p >= 0 && p + 1 < Size() && text[p] == '\r' && text[p + 1] == '\n';
    }

private:
    std::int32_t Clamp(std::int32_t p) const { return std::clamp(p, 0, Size()); }
    std::int32_t Size() const { return static_cast<std::int32_t>(text.size()); }
    static int ClassOf(char c) {
        if (c == ' ' || c == '\t') return 0;
        if (c == '\r' || c == '\n') return 1;
        return 2;
    }
};

// As the system's control moves between words: right, over the rest of a word and the blanks after
// it, or over one line break; left, over blanks and then the word before them, or over one line break.
inline std::int32_t MemoryText::WordBreakRight(std::int32_t from) {
    std::int32_t n = TextLength(), p = Clamp(from);
    if (p >= n) return n;
    if (ClassOf(text[p]) == 1) return p + (IsCrLfAt(p) ? 2 : 1);
    if (ClassOf(text[p]) == 2)
        while (p < n && ClassOf(text[p]) == 2) ++p;
    while (p < n && ClassOf(text[p]) == 0) ++p;
    return p;
}

inline std::int32_t MemoryText::WordBreakLeft(std::int32_t from) {
    std::int32_t p = Clamp(from);
    if (p <= 0) return 0;
    if (ClassOf(text[p - 1]) == 1) return p - ((p >= 2 && IsCrLfAt(p - 2)) ? 2 : 1);
    while (p > 0 && ClassOf(text[p - 1]) == 0) --p;
    while (p > 0 && ClassOf(text[p - 1]) == 2) --p;
    return p;
}
