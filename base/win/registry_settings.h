#pragma once
// The settings store of the program: named values under HKEY_CURRENT_USER\Software\Orvu\Vemkoc.
// Every operation opens the key and closes it again, so nothing is cached and another instance's
// write is seen at the next read. Readers only open the key; writers create it when it is missing.
#include <windows.h>

#include "base/settings.h"

class RegistrySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> ReadData(std::string_view name) override;
    void WriteDword(std::string_view name, std::uint32_t value) override;
    void WriteText(std::string_view name, std::string_view text) override;
    std::optional<std::string> ReadUtf16Data(std::string_view name) override;
    void WriteUtf16Text(std::string_view name, std::string_view text) override;
};

// Makes the four settings operations read and write the registry.
void InstallRegistrySettings();

// The opaque binary values ("DEF", the window placement): exactly size bytes, or false when the
// key or the value is missing or its data has another size.
bool ReadSettingBlock(const char* name, void* data, DWORD size);
// Opens the key without creating it: while no other setting has been written the block is not
// saved either.
void WriteSettingBlockToExistingKey(const char* name, const void* data, DWORD size);
