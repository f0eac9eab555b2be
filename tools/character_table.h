#pragma once
// The character table's text and the place of each byte in it, without the dialog. The table shows
// every byte from 0x20 to 0xFF once, in ascending order, 32 to a row; what the user selects in it is
// taken as it stands, so a selection across a row's end takes the CR LF with it.
#include <cstddef>
#include <cstdint>
#include <string>

inline constexpr std::uint8_t kCharacterTableFirstByte = 0x20;
inline constexpr int kCharacterTableRowLength = 32;
inline constexpr int kCharacterTableRows = 7;
// Seven rows of 32 bytes and the six CR LF between them; nothing after the last row.
inline constexpr std::size_t kCharacterTableLength =
    kCharacterTableRows * kCharacterTableRowLength + 2 * (kCharacterTableRows - 1);

std::string CharacterTableText();

// The position of a byte's cell in the table text; -1 for a byte below 0x20, which has none.
std::int32_t CharacterTablePosition(std::uint8_t byte);
