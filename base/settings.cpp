#include "base/settings.h"

namespace {

SettingsStore* installedStore = nullptr;

MemorySettingsStore& BuiltInStore() {
    static MemorySettingsStore store;
    return store;
}

}  // namespace

SettingsStore& ActiveSettingsStore() { return installedStore ? *installedStore : BuiltInStore(); }

void InstallSettingsStore(SettingsStore* store) { installedStore = store; }

std::uint32_t ReadSettingDword(std::string_view name, std::uint32_t defaultValue) {
    std::optional<std::string> data = ActiveSettingsStore().ReadData(name);
    if (!data || data->size() > 4) return defaultValue;
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < data->size(); ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>((*data)[i])) << (8 * i);
    return value;
}

std::string ReadSettingString(std::string_view name, std::size_t bufferSize) {
    std::optional<std::string> data = ActiveSettingsStore().ReadData(name);
    if (!data) return {};
    // Text written by another program may lack its terminator; it still needs room for one.
    std::size_t needed = data->size() + ((data->empty() || data->back() != '\0') ? 1 : 0);
    if (needed > bufferSize) return {};
    return data->substr(0, data->find('\0'));
}

void WriteSettingDword(std::string_view name, std::uint32_t value) { ActiveSettingsStore().WriteDword(name, value); }

void WriteSettingString(std::string_view name, std::string_view text) { ActiveSettingsStore().WriteText(name, text); }

std::optional<std::string> MemorySettingsStore::ReadData(std::string_view name) {
    auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

void MemorySettingsStore::WriteDword(std::string_view name, std::uint32_t value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    values_[std::string(name)] = data;
}

void MemorySettingsStore::WriteText(std::string_view name, std::string_view text) {
    std::string data(text);
    data.push_back('\0');
    values_[std::string(name)] = data;
}
