#include "tools/view_font.h"

#include "base/settings.h"
#include "control/text_search.h"
#include "encoding/code_page_tables.h"
#include "encoding/unicode_conversion.h"

namespace {

// UTF-8 asks for the same Cyrillic fixed-pitch font as ANSI: the characters are drawn by Unicode,
// so the character set only picks a font that has Cyrillic glyphs.
constexpr std::uint32_t kDefaultCharacterSet[kViewCount] = {204, 255, 1, 204};
constexpr std::uint32_t kDefaultHeight = 200;
constexpr std::uint32_t kTwipsPerPoint = 20;

int ValidView(int view) { return view >= 0 && view < kViewCount ? view : 0; }

constexpr char kSampleBytes[] =
    "\x46\x61\x63\x65\x20\xAA\xE0\xA8\xA2\xAE\xA9\x3F\r\n"
    "\xDA\xC4\xC4\xC4\xC4\xC4\xC4\xBF\r\n"
    "\xB3\x20\x5C\x20\x20\x2F\x20\xB3\r\n"
    "\xB3\x20\x4F\x20\x20\x4F\x20\xB3\r\n"
    "\xB3\x20\x20\x2E\x2E\x20\x20\xB3\r\n"
    "\xB3\x20\x20\xC4\xC4\x20\x20\xB3\r\n"
    "\xC0\xC4\xC4\xC4\xC4\xC4\xC4\xD9";

}  // namespace

const std::string_view FontSample(kSampleBytes, sizeof kSampleBytes - 1);

std::string ViewFontSettingName(std::string_view stem, int view) {
    std::string name(stem);
    name.push_back("WDKU"[ValidView(view)]);
    return name;
}

ViewFont ReadViewFont(int view) {
    view = ValidView(view);
    ViewFont font;
    font.height = ReadSettingDword(ViewFontSettingName("Size", view), kDefaultHeight);
    font.effects = ReadSettingDword(ViewFontSettingName("Eff", view), 0);
    font.characterSet = ReadSettingDword(ViewFontSettingName("Set", view), kDefaultCharacterSet[view]);
    font.face = ReadSettingString(ViewFontSettingName("Font", view), kFaceReadBuffer);
    return font;
}

void WriteViewFont(int view, const ViewFont& font) {
    view = ValidView(view);
    WriteSettingString(ViewFontSettingName("Font", view), std::string_view(font.face).substr(0, kLongestFace));
    WriteSettingDword(ViewFontSettingName("Set", view), font.characterSet);
    WriteSettingDword(ViewFontSettingName("Eff", view), font.effects);
    WriteSettingDword(ViewFontSettingName("Size", view), font.height);
}

int CharacterSetListIndex(std::uint32_t characterSet) {
    for (int i = 0; i < kCharacterSetChoiceCount; ++i)
        if (kCharacterSetChoices[i].value == characterSet) return i;
    return -1;
}

int SizeListIndex(std::uint32_t height) {
    std::uint32_t points = height / kTwipsPerPoint;
    if (points < 1 || points > static_cast<std::uint32_t>(kSizeListLength)) return -1;
    return static_cast<int>(points) - 1;
}

ViewFont FontFromChoices(const FontChoices& choices, const ViewFont& current) {
    ViewFont font = current;
    font.face = choices.face.substr(0, kLongestFace);
    if (choices.characterSetIndex >= 0 && choices.characterSetIndex < kCharacterSetChoiceCount)
        font.characterSet = kCharacterSetChoices[choices.characterSetIndex].value;
    if (choices.sizeIndex >= 0 && choices.sizeIndex < kSizeListLength)
        font.height = static_cast<std::uint32_t>(choices.sizeIndex + 1) * kTwipsPerPoint;
    font.effects = (choices.bold ? kFontBold : 0) | (choices.italic ? kFontItalic : 0);
    return font;
}

std::string FontSampleFor(int view) {
    if (view == kUtf8View) return ConvertText(FontSample, TextEncoding::Cp866, TextEncoding::Utf8);
    std::string sample(FontSample);
    int table = view == kAnsi1251 ? kOemToAnsi : view == kKoi8R ? kOemToKoi8 : kNoTable;
    if (table != kNoTable)
        MapHighInPlace(table, reinterpret_cast<std::uint8_t*>(sample.data()), sample.size());
    return sample;
}

bool SameFaceName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    const auto& lower = LettersOfView(kAnsi1251).lower;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower[static_cast<unsigned char>(a[i])] != lower[static_cast<unsigned char>(b[i])]) return false;
    return true;
}

bool FaceNameList::Add(std::string_view name) {
    for (const std::string& known : names_)
        if (known == name) return false;
    names_.emplace_back(name);
    return true;
}

int FaceNameList::Find(std::string_view name) const {
    if (name.empty()) return -1;
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (SameFaceName(names_[i], name)) return static_cast<int>(i);
    return -1;
}
