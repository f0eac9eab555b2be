#pragma once
// The byte patcher without its window: reading the hexadecimal fields, looking at the byte at an
// offset and rewriting that one byte in place. The file comes in through PatchableFile, opened afresh
// by the caller for every look and every write, so nothing of it is kept between them; on Windows it
// is a file handle (tools/win/byte_patcher), in the tests a buffer.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// What the byte field shows when there is no byte to show.
inline constexpr const char* kByteError = "Error";

struct HexNumber {
    std::uint32_t value = 0;
    bool valid = false;
};

// Hexadecimal digits (either case) to a number; the empty text is 0. Any other character, or a
// number that needs more than 32 bits, makes the text invalid: leading zeros are allowed, but a ninth
// significant digit is not dropped, so no other offset than the one typed is ever used.
HexNumber ParseHexNumber(std::string_view text);

// The byte field: one to two significant digits. An empty field, or a value above FF, is no byte:
// it is refused instead of being cut to its low eight bits or taken as zero.
std::optional<std::uint8_t> ParseByteValue(std::string_view text);

// Two upper-case hexadecimal digits: "0A", "FF".
std::string FormatByte(std::uint8_t byte);

class PatchableFile {
public:
    virtual ~PatchableFile() = default;
    virtual bool Size(std::uint64_t& size) = 0;
    // Reads or writes exactly one byte at the offset; false when the system refuses or moves
    // fewer bytes.
    virtual bool ReadByte(std::uint64_t offset, std::uint8_t& byte) = 0;
    virtual bool WriteByte(std::uint64_t offset, std::uint8_t byte) = 0;
    // Everything written reaches the disk (and the handle is let go) before success is reported.
    virtual bool Finish() = 0;
};

// The byte at the offset the text gives; nothing when the file could not be opened (nullptr), the
// text is not a hexadecimal number, the offset is not inside the file, or the read fails.
std::optional<std::uint8_t> LookAtByte(PatchableFile* file, std::string_view offsetText);

enum class PatchOutcome {
    NoByteThere,     // the file could not be opened for writing, or LookAtByte found nothing
    InvalidValue,    // the byte field holds no byte
    Unchanged,       // the new byte is the one already there: nothing to write
    Declined,        // the user said No
    Written,         // written, read back and flushed
    WriteFailed,     // the system refused the write or the flush, or the byte read back differs
};

// One press of the write button: finds the current byte as LookAtByte does, and when the byte field
// names another one asks `confirm` and writes that one byte, leaving every other byte of the file as
// it was. `file` is opened for reading and writing (nullptr when that failed).
PatchOutcome PatchByte(PatchableFile* file, std::string_view offsetText, std::string_view valueText,
                       const std::function<bool()>& confirm);
