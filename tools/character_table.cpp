#include "tools/character_table.h"

std::string CharacterTableText() {
    std::string text;
    text.reserve(kCharacterTableLength);
    for (int row = 0; row < kCharacterTableRows; ++row) {
        if (row > 0) text += "\r\n";
        for (int column = 0; column < kCharacterTableRowLength; ++column)
            text += static_cast<char>(kCharacterTableFirstByte + row * kCharacterTableRowLength + column);
    }
    return text;
}

std::int32_t CharacterTablePosition(std::uint8_t byte) {
    if (byte < kCharacterTableFirstByte) return -1;
    const int cell = byte - kCharacterTableFirstByte;
    const int row = cell / kCharacterTableRowLength;
    return static_cast<std::int32_t>(cell + 2 * row);
}
