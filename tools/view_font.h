#pragma once
// The font of each view code page as the font dialog edits it: the four settings of a view (face,
// height, effects, character set), the lists the dialog offers for them, the sample text in the
// bytes of the code page being edited, and what the dialog's controls make of a font. The dialog
// itself (tools/win/font_dialog) only moves these values in and out of its controls.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 0 ANSI (1251), 1 OEM (866), 2 KOI8-R, 3 UTF-8: the view code page index whose settings end in W,
// D, K or U.
inline constexpr int kViewCount = 4;

inline constexpr std::uint32_t kFontBold = 1;
inline constexpr std::uint32_t kFontItalic = 2;

// The dialog reads the face with a buffer of 33 bytes; it stores at most 31 characters, the most
// that the view (which reads the face with 32 bytes) and the system's face names can hold.
inline constexpr std::size_t kFaceReadBuffer = 33;
inline constexpr std::size_t kLongestFace = 31;

struct ViewFont {
    std::string face;             // empty: no face, the modern family is asked for instead
    std::uint32_t height = 200;   // twips, 20 to the point
    std::uint32_t effects = 0;    // kFontBold, kFontItalic
    std::uint32_t characterSet = 204;
    bool operator==(const ViewFont&) const = default;
};

// "FontW", "SizeD", "EffK", ...: the stem followed by the view's letter.
std::string ViewFontSettingName(std::string_view stem, int view);

// The four settings of a view, with the dialog's defaults (height 200, no effects, character set
// 204, 255, 1 or 204, no face).
ViewFont ReadViewFont(int view);
// Face, character set, effects and height, in this order.
void WriteViewFont(int view, const ViewFont& font);

// The character set list, in list order.
struct CharacterSetChoice {
    const char* name;
    std::uint32_t value;
};
inline constexpr CharacterSetChoice kCharacterSetChoices[] = {
    {"RUSSIAN_CHARSET", 204},
    {"OEM_CHARSET", 255},
    {"DEFAULT_CHARSET", 1},
};
inline constexpr int kCharacterSetChoiceCount = 3;
// The entry of that value, or -1 when the list has none.
int CharacterSetListIndex(std::uint32_t characterSet);

// The size list holds the points 1 to 20; entry i is i + 1 points.
inline constexpr int kSizeListLength = 20;
// The entry of the height in whole points (rounded down), or -1 when there is none (below one point,
// above twenty).
int SizeListIndex(std::uint32_t height);

// What the dialog's controls show; an index of -1 is a list without a selection.
struct FontChoices {
    std::string face;
    int characterSetIndex = -1;
    int sizeIndex = -1;
    bool bold = false;
    bool italic = false;
};
// The font the controls describe. A list without a selection (a stored character set that is none of
// the three, a stored height above twenty points) keeps the current value rather than inventing one
// from the missing entry.
ViewFont FontFromChoices(const FontChoices& choices, const ViewFont& current);

// The fixed sample, seven lines of 866 bytes: "Face кривой?" over a small face drawn with box drawing.
extern const std::string_view FontSample;
// The sample in the bytes of the code page being edited: as it stands for OEM, through the 866 to
// 1251 table for ANSI and the 866 to KOI8-R table for KOI8-R, by the 866 chart into UTF-8 for UTF-8.
std::string FontSampleFor(int view);

// Face names as the face list gathers them from the system, which may name a family once for each
// of its character sets: each name is kept once, in the order first seen.
class FaceNameList {
public:
    // False when the name was there already.
    bool Add(std::string_view name);
    const std::vector<std::string>& Names() const { return names_; }
    // The position of the name compared without regard to case (ASCII and 1251 Cyrillic letters), or
    // -1; an empty name is never found.
    int Find(std::string_view name) const;

private:
    std::vector<std::string> names_;
};

bool SameFaceName(std::string_view a, std::string_view b);
