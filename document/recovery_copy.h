#pragma once
// A recovery copy: the unsaved text of a document and what brings it back as it was (its name, its
// view, its caret and scroll), as one file. The file is a header followed by the text's bytes as
// they are. The header holds the lengths of both and a checksum of each, so that a file cut short
// by a crash while it was written, grown or damaged afterwards, is told from a whole one and never
// taken for the text:
//   "VEMKOREC"            8 bytes, the mark of a copy
//   version               u32 (1)
//   header length         u32, the mark and the checksum included
//   text length           u64
//   text checksum         u32, CRC-32 of the text
//   view code page        u32 (0 ANSI, 1 OEM, 2 KOI8-R, 3 UTF-8)
//   selection start, end  u64 each
//   first visible line    u64
//   written at            u64, 100 ns units since 1601 (UTC), as the system keeps file times
//   name length           u32, in UTF-16 code units; 0 for the untitled document
//   name                  the path in UTF-16LE
//   header checksum       u32, CRC-32 of every header byte before it
// All numbers are little-endian. A file is whole only when it is exactly header plus text long.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

struct RecoveryCopy {
    std::u16string path;  // empty: the untitled document
    std::uint32_t view = 0;
    std::uint64_t selectionStart = 0;
    std::uint64_t selectionEnd = 0;
    std::uint64_t firstVisibleLine = 0;
    std::uint64_t writtenAt = 0;
};

// The CRC-32 of IEEE 802.3 (as zip and PNG use), continued from `crc` (0 to start).
std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc = 0);

// The bytes that go before the text in the copy's file.
std::string RecoveryCopyHeader(const RecoveryCopy& copy, std::string_view text);

// Reads a copy from the whole contents of its file. False when the file is not a whole copy: too
// short, too long, of another kind or version, or with a checksum that does not match; `copy` and
// `text` are then left as they were. On success `text` is the part of `file` that is the text.
bool ReadRecoveryCopy(std::string_view file, RecoveryCopy& copy, std::string_view& text);
