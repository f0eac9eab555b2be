#include "encoding/chart_text.h"

#include <array>
#include <cstdint>
#include <memory>

namespace {

// The inverse of one chart over the whole basic plane, made on first use: a text of any length is
// encoded by one lookup per character.
class ReverseChart {
public:
    explicit ReverseChart(const charts::HighHalf& chart) : bytes_(std::make_unique<Table>()) {
        bytes_->fill(-1);
        for (int b = 0; b < 256; ++b) (*bytes_)[CharacterOfByte(chart, static_cast<unsigned char>(b))] =
            static_cast<std::int16_t>(b);
    }
    int ByteOf(char16_t character) const { return (*bytes_)[character]; }

private:
    using Table = std::array<std::int16_t, 0x10000>;
    std::unique_ptr<Table> bytes_;
};

const ReverseChart& ReverseOf(const charts::HighHalf& chart) {
    // One per chart in use; the charts are the few arrays of charts.h, so the address names one.
    static const ReverseChart windows1251(charts::kWindows1251);
    static const ReverseChart cp866(charts::kCp866);
    static const ReverseChart koi8r(charts::kKoi8R);
    static const ReverseChart iso(charts::kIso8859_5);
    static const ReverseChart mac(charts::kMacCyrillic);
    if (&chart == &charts::kWindows1251) return windows1251;
    if (&chart == &charts::kCp866) return cp866;
    if (&chart == &charts::kKoi8R) return koi8r;
    if (&chart == &charts::kIso8859_5) return iso;
    return mac;
}

}  // namespace

char16_t CharacterOfByte(const charts::HighHalf& chart, unsigned char byte) {
    if (byte < 0x80) return byte;
    char16_t character = chart[byte - 0x80];
    return character ? character : static_cast<char16_t>(byte);
}

int ByteOfCharacter(const charts::HighHalf& chart, char16_t character) {
    if (character < 0x80) return character;
    return ReverseOf(chart).ByteOf(character);
}

std::u16string DecodeChart(const charts::HighHalf& chart, std::string_view bytes) {
    std::u16string text(bytes.size(), u'\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) text[i] = CharacterOfByte(chart, static_cast<unsigned char>(bytes[i]));
    return text;
}

std::string EncodeChart(const charts::HighHalf& chart, std::u16string_view text, bool* lossless) {
    const ReverseChart& reverse = ReverseOf(chart);
    std::string bytes(text.size(), '\0');
    bool all = true;
    for (std::size_t i = 0; i < text.size(); ++i) {
        int byte = text[i] < 0x80 ? text[i] : reverse.ByteOf(text[i]);
        if (byte < 0) {
            byte = '?';
            all = false;
        }
        bytes[i] = static_cast<char>(byte);
    }
    if (lossless) *lossless = all;
    return bytes;
}
