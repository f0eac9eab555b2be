#pragma once
// A settings store in memory that also keeps the names written to it, in the order of the writes.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/settings.h"

class RecordingStore final : public SettingsStore {
public:
    std::optional<std::string> ReadData(std::string_view name) override { return values.ReadData(name); }
    void WriteDword(std::string_view name, std::uint32_t value) override {
        written.emplace_back(name);
        values.WriteDword(name, value);
    }
    void WriteText(std::string_view name, std::string_view text) override {
        written.emplace_back(name);
        values.WriteText(name, text);
    }

    MemorySettingsStore values;
    std::vector<std::string> written;
};
