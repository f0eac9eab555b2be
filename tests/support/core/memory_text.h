#pragma once
// An in-memory stand-in for the editor control: the TextAccess operations the journal uses, plus
// the control's own handling of the keys the subclass passes on (typing, Enter, Delete, Backspace)
// and its word breaks, decided by the control's own rules (control/editing_state) over a copy of the
// text: CR LF is one unit for Delete and Backspace, and overwrite mode puts a character typed in
// front of a line break beside it.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>

#include "control/editing_state.h"
#include "control/text_layout.h"
#include "control/text_model.h"
#include "control/text_search.h"
#include "document/text_access.h"

class MemoryText final : public TextAccess {
public:
    std::string text;
    std::int32_t selStart = 0;
    std::int32_t selEnd = 0;
    std::uint8_t codePage = 0;
    // Whether overwrite mode types in front of a lone LF, as the control does in front of every line
    // break; off, it types over it, as a control that counts only CR as a line break would: the
    // journal must serve that one as well.
    bool overwriteKeepsLf = true;
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
    void ControlChar(char ch, bool overwrite) {
        EditingState::KeyEdit edit = ControlRule([&](EditingState& state) { return state.TypingFor(overwrite); });
        if (!overwriteKeepsLf && overwrite && edit.first == edit.last && edit.first < text.size() &&
            text[edit.first] == '\n' && !IsCrLfAt(static_cast<std::int32_t>(edit.first) - 1))
            ++edit.last;
        ReplaceRange(edit, std::string_view(&ch, 1));
    }
    void ControlEnter() { ReplaceSelection("\r\n"); }
    void ControlDelete() { ControlDeletion(EditingState::Deletion::CharacterAfter); }
    void ControlBackspace() { ControlDeletion(EditingState::Deletion::CharacterBefore); }

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

    // What the control's editing state decides for the text and selection as they are now.
    template <typename Rule>
    std::invoke_result_t<Rule, EditingState&> ControlRule(Rule&& rule) const {
        TextModel model;
        model.SetTextLimit(TextModel::kLargestLimit);
        model.Insert(0, text, false);
        TextLayout layout(model);
        EditingState state(model, layout);
        state.SetLetters(LettersOfView(codePage));
        state.Select(static_cast<std::size_t>(selStart), static_cast<std::size_t>(selEnd));
        return rule(state);
    }
    void ReplaceRange(const EditingState::KeyEdit& edit, std::string_view bytes) {
        selStart = static_cast<std::int32_t>(edit.first);
        selEnd = static_cast<std::int32_t>(edit.last);
        ReplaceSelection(bytes);
    }
    void ControlDeletion(EditingState::Deletion deletion) {
        EditingState::KeyEdit edit = ControlRule([&](EditingState& state) { return state.DeletionFor(deletion); });
        if (edit.first != edit.last) ReplaceRange(edit, {});
    }
    std::int32_t ControlWordBreak(std::int32_t from, WordMove move) const {
        return static_cast<std::int32_t>(ControlRule([&](EditingState& state) {
            return state.WordBreak(static_cast<std::size_t>(Clamp(from)), move);
        }));
    }
};

inline std::int32_t MemoryText::WordBreakRight(std::int32_t from) { return ControlWordBreak(from, WordMove::Right); }
inline std::int32_t MemoryText::WordBreakLeft(std::int32_t from) { return ControlWordBreak(from, WordMove::Left); }
