#pragma once
// An in-memory stand-in for the control's messages that the program's commands still record undo
// through (document/text_access.h): a text, a selection and nothing of the key rules, which are the
// document's (tests/support/core/loaded_document.h).
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "document/text_access.h"

class MemoryText final : public TextAccess {
public:
    std::string text;
    std::int32_t selStart = 0;
    std::int32_t selEnd = 0;
    std::uint8_t codePage = 0;
    int errorsReported = 0;
    int editsToFail = 0;  // the next edits fail as the control's do when memory runs out

    explicit MemoryText(std::string initial = {}) : text(std::move(initial)) {}

    std::int32_t TextLength() override { return static_cast<std::int32_t>(text.size()); }
    void GetSelection(std::int32_t& start, std::int32_t& end) override {
        start = selStart;
        end = selEnd;
    }
    void SetSelection(std::int32_t start, std::int32_t end) override {
        selStart = std::min(Clamp(start), Clamp(end));
        selEnd = std::max(Clamp(start), Clamp(end));
    }
    std::size_t ReadRange(std::int32_t start, std::int32_t end, char* buffer) override {
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
        return true;
    }
    bool ClearSelection() override { return ReplaceSelection({}); }
    std::int32_t WordBreakLeft(std::int32_t from) override { return from; }
    std::int32_t WordBreakRight(std::int32_t from) override { return from; }
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

private:
    bool EditFails() {
        if (editsToFail == 0) return false;
        --editsToFail;
        return true;
    }
    std::int32_t Clamp(std::int32_t p) const { return std::clamp(p, 0, static_cast<std::int32_t>(text.size())); }
};
