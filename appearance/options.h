#pragma once
// The choices of the options dialog, apart from its window: the seven switches the program holds in
// memory (written to the settings together when the dialog is confirmed) and the three paragraph
// indents of the alignment commands, which live in the settings alone.
#include <cstdint>
#include <string_view>

#include "encoding/transforms.h"

struct OptionChoices {
    bool toolBar = true;             // "TL"
    bool statusBar = true;           // "ST"
    bool bigButtons = false;         // "BIG"
    bool journalOn = true;           // "NO" holds the opposite
    bool rememberWindowSize = true;  // "AU"
    bool restoreCaret = true;        // "RP"
    bool recoveryCopy = true;        // "RC"
};

// Writes "ST", "TL", "NO", "AU", "RP", "BIG" and "RC", each 0 or 1.
void WriteOptionChoices(const OptionChoices& choices);

// One indent edit with its up-down control: the setting, the range the up-down accepts and the value
// that stands for a missing setting or an edit that holds no number in range.
struct IndentField {
    std::string_view setting;
    std::int32_t lower;
    std::int32_t upper;
    std::int32_t missing;
};
inline constexpr IndentField kFirstLineIndent{"FI", 0, kLargestIndent, 0};
inline constexpr IndentField kLeftIndent{"LI", 0, kLargestIndent, 0};
inline constexpr IndentField kRightMargin{"RI", kSmallestRightMargin, kLargestRightMargin, 80};

// The value the up-down starts at: the stored setting, or the field's missing value.
std::int32_t StoredIndent(const IndentField& field);
// What the up-down's position answer (UDM_GETPOS) stores: its low word, or the field's missing value
// when the high word says the edit held no number in range.
std::int32_t IndentFromPosition(const IndentField& field, std::uint32_t positionAnswer);

// "Игнорировать перевод строки" shows ticked while "IG" is missing (the alignment commands read a
// missing "IG" as clear until the dialog is confirmed once).
bool IgnoreLineBreaksShown();
