#include "appearance/options.h"

#include "base/settings.h"

void WriteOptionChoices(const OptionChoices& choices) {
    WriteSettingDword("ST", choices.statusBar ? 1 : 0);
    WriteSettingDword("TL", choices.toolBar ? 1 : 0);
    WriteSettingDword("NO", choices.journalOn ? 0 : 1);
    WriteSettingDword("AU", choices.rememberWindowSize ? 1 : 0);
    WriteSettingDword("RP", choices.restoreCaret ? 1 : 0);
    WriteSettingDword("BIG", choices.bigButtons ? 1 : 0);
    WriteSettingDword("RC", choices.recoveryCopy ? 1 : 0);
}

std::int32_t StoredIndent(const IndentField& field) {
    return static_cast<std::int32_t>(ReadSettingDword(field.setting, static_cast<std::uint32_t>(field.missing)));
}

std::int32_t IndentFromPosition(const IndentField& field, std::uint32_t positionAnswer) {
    if ((positionAnswer >> 16) != 0) return field.missing;
    const auto position = static_cast<std::int32_t>(positionAnswer & 0xFFFF);
    return position < field.lower || position > field.upper ? field.missing : position;
}

bool IgnoreLineBreaksShown() { return ReadSettingDword("IG", 1) != 0; }
