#include "document/editor_keys.h"

#include "encoding/code_page_tables.h"

namespace {

// The byte at a position, or -1 outside the text.
int ByteAt(TextAccess& text, std::int32_t position) {
    if (position < 0) return -1;
    char byte = 0;
    if (text.ReadRange(position, position + 1, &byte) != 1) return -1;
    return static_cast<unsigned char>(byte);
}

}  // namespace

bool IsPrintableTyped(std::uint8_t ansiByte) {
    return ansiByte == '\t' || (ansiByte >= 0x20 && ansiByte <= 0x7E) || ansiByte >= 0x80;
}

std::uint8_t ViewByteOfTyped(std::uint8_t ansiByte, std::uint8_t codePage) {
    if (codePage == kAnsi1251 || ansiByte < 0x80) return ansiByte;
    const std::uint8_t oem = MapHigh(kAnsiToOem, ansiByte);
    return codePage == kKoi8R ? MapHigh(kOemToKoi8, oem) : oem;
}

bool KeepLineBreakWhenTyping(TextAccess& text) {
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    if (end - start <= 2 || ByteAt(text, end - 2) != '\r' || ByteAt(text, end - 1) != '\n') return false;
    text.SetSelection(start, end - 2);
    return true;
}

void KeepLineBreakWhenDeleting(TextAccess& text, std::int32_t lineStartOfSelection) {
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    if (end - start <= 2 || ByteAt(text, end - 1) != '\n' || start == lineStartOfSelection) return;
    // Cutting two characters off in front of a lone LF would keep the last character of the line
    // from being deleted.
    const std::int32_t breakLength = ByteAt(text, end - 2) == '\r' ? 2 : 1;
    text.SetSelection(start, end - breakLength);
}

bool OvertypeSelectsNextCharacter(TextAccess& text) {
    std::int32_t start = 0, end = 0;
    text.GetSelection(start, end);
    const int next = ByteAt(text, start);
    return next >= 0 && next != '\r' && next != '\n';
}
