#include "tools/byte_patch.h"

namespace {

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

HexNumber ParseHexNumber(std::string_view text) {
    HexNumber number{0, true};
    for (char c : text) {
        int digit = DigitValue(c);
        if (digit < 0 || number.value > 0x0FFFFFFFu) return {0, false};
        number.value = number.value * 16 + static_cast<std::uint32_t>(digit);
    }
    return number;
}

std::optional<std::uint8_t> ParseByteValue(std::string_view text) {
    HexNumber number = ParseHexNumber(text);
    if (text.empty() || !number.valid || number.value > 0xFF) return std::nullopt;
    return static_cast<std::uint8_t>(number.value);
}

std::string FormatByte(std::uint8_t byte) {
    static const char digits[] = "0123456789ABCDEF";
    return {digits[byte >> 4], digits[byte & 0x0F]};
}

std::optional<std::uint8_t> LookAtByte(PatchableFile* file, std::string_view offsetText) {
    if (!file) return std::nullopt;
    HexNumber offset = ParseHexNumber(offsetText);
    std::uint64_t size = 0;
    if (!offset.valid || !file->Size(size) || offset.value >= size) return std::nullopt;
    std::uint8_t byte = 0;
    if (!file->ReadByte(offset.value, byte)) return std::nullopt;
    return byte;
}

PatchOutcome PatchByte(PatchableFile* file, std::string_view offsetText, std::string_view valueText,
                       const std::function<bool()>& confirm) {
    std::optional<std::uint8_t> current = LookAtByte(file, offsetText);
    if (!current) return PatchOutcome::NoByteThere;
    std::optional<std::uint8_t> wanted = ParseByteValue(valueText);
    if (!wanted) return PatchOutcome::InvalidValue;
    if (*wanted == *current) return PatchOutcome::Unchanged;
    if (!confirm()) return PatchOutcome::Declined;
    const std::uint64_t offset = ParseHexNumber(offsetText).value;
    std::uint8_t readBack = 0;
    if (!file->WriteByte(offset, *wanted) || !file->ReadByte(offset, readBack) || readBack != *wanted ||
        !file->Finish())
        return PatchOutcome::WriteFailed;
    return PatchOutcome::Written;
}
