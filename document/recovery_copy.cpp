#include "document/recovery_copy.h"

#include <array>

namespace {

constexpr std::string_view kMark = "VEMKOREC";
constexpr std::uint32_t kVersion = 1;
// Every field of the header but the name, the mark and the checksum included.
constexpr std::size_t kFixedHeaderSize = 8 + 4 + 4 + 8 + 4 + 4 + 8 + 8 + 8 + 8 + 4 + 4;
// No path of the system is longer; a larger count is damage, not a name.
constexpr std::uint32_t kLongestName = 32767;

constexpr std::array<std::uint32_t, 256> MakeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t value = i;
        for (int bit = 0; bit < 8; ++bit) value = (value & 1) ? 0xEDB88320u ^ (value >> 1) : value >> 1;
        table[i] = value;
    }
    return table;
}

constexpr std::array<std::uint32_t, 256> kCrcTable = MakeCrcTable();

void Put(std::string& out, std::uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Reads the fields in order; any read past the end makes the whole reading fail.
class FieldReader {
public:
    explicit FieldReader(std::string_view bytes) : bytes_(bytes) {}
    std::uint64_t Take(int count) {
        if (bytes_.size() - at_ < static_cast<std::size_t>(count)) {
            failed_ = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i)
            value |= static_cast<std::uint64_t>(static_cast<unsigned char>(bytes_[at_ + i])) << (8 * i);
        at_ += static_cast<std::size_t>(count);
        return value;
    }
    std::size_t At() const { return at_; }
    bool Failed() const { return failed_; }

private:
    std::string_view bytes_;
    std::size_t at_ = 0;
    bool failed_ = false;
};

}  // namespace

std::uint32_t Crc32(std::string_view bytes, std::uint32_t crc) {
    crc = ~crc;
    for (char byte : bytes) crc = kCrcTable[(crc ^ static_cast<unsigned char>(byte)) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

std::string RecoveryCopyHeader(const RecoveryCopy& copy, std::string_view text) {
    std::string header(kMark);
    Put(header, kVersion, 4);
    Put(header, kFixedHeaderSize + 2 * copy.path.size(), 4);
    Put(header, text.size(), 8);
    Put(header, Crc32(text), 4);
    Put(header, copy.view, 4);
    Put(header, copy.selectionStart, 8);
    Put(header, copy.selectionEnd, 8);
    Put(header, copy.firstVisibleLine, 8);
    Put(header, copy.writtenAt, 8);
    Put(header, copy.path.size(), 4);
    for (char16_t unit : copy.path) Put(header, unit, 2);
    Put(header, Crc32(header), 4);
    return header;
}

bool ReadRecoveryCopy(std::string_view file, RecoveryCopy& copy, std::string_view& text) {
    if (file.substr(0, kMark.size()) != kMark) return false;
    FieldReader reader(file.substr(kMark.size()));
    RecoveryCopy read;
    const std::uint64_t version = reader.Take(4);
    const std::uint64_t headerSize = reader.Take(4);
    const std::uint64_t textSize = reader.Take(8);
    const std::uint64_t textCrc = reader.Take(4);
    read.view = static_cast<std::uint32_t>(reader.Take(4));
    read.selectionStart = reader.Take(8);
    read.selectionEnd = reader.Take(8);
    read.firstVisibleLine = reader.Take(8);
    read.writtenAt = reader.Take(8);
    const std::uint64_t nameLength = reader.Take(4);
    if (reader.Failed() || version != kVersion || nameLength > kLongestName) return false;
    if (headerSize != kFixedHeaderSize + 2 * nameLength || headerSize > file.size()) return false;
    if (file.size() - headerSize != textSize) return false;
    for (std::uint64_t i = 0; i < nameLength; ++i) read.path.push_back(static_cast<char16_t>(reader.Take(2)));
    const std::size_t checked = kMark.size() + reader.At();
    const std::uint64_t headerCrc = reader.Take(4);
    if (reader.Failed() || headerCrc != Crc32(file.substr(0, checked))) return false;
    const std::string_view body = file.substr(static_cast<std::size_t>(headerSize));
    if (Crc32(body) != textCrc) return false;
    copy = std::move(read);
    text = body;
    return true;
}
