#include "document/editor_keys.h"

#include "encoding/code_page_tables.h"

bool IsPrintableTyped(std::uint8_t ansiByte) {
    return ansiByte == '\t' || (ansiByte >= 0x20 && ansiByte <= 0x7E) || ansiByte >= 0x80;
}

std::uint8_t ViewByteOfTyped(std::uint8_t ansiByte, std::uint8_t codePage) {
    if (codePage == kAnsi1251 || ansiByte < 0x80) return ansiByte;
    const std::uint8_t oem = MapHigh(kAnsiToOem, ansiByte);
    return codePage == kKoi8R ? MapHigh(kOemToKoi8, oem) : oem;
}
