#include "base/settings.h"

#include "base/charts.h"

namespace {

// 1251 bytes as UTF-16LE code units and back by the chart; an unassigned byte stands for itself, and
// a character the chart lacks becomes '?'.
std::string WidenAnsi(std::string_view ansi) {
    std::string wide;
    for (char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        const char16_t charted = byte < 0x80 ? 0 : charts::kWindows1251[byte - 0x80];
        const char16_t unit = charted ? charted : byte;
        wide.push_back(static_cast<char>(unit & 0xFF));
        wide.push_back(static_cast<char>(unit >> 8));
    }
    return wide;
}

std::string NarrowToAnsi(std::string_view wide) {
    std::string ansi;
    for (std::size_t i = 0; i + 1 < wide.size(); i += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(wide[i]) |
                                                static_cast<unsigned char>(wide[i + 1]) << 8);
        int byte = charts::PositionOf(charts::kWindows1251, unit);
        if (byte < 0 && unit >= 0x80 && unit < 0x100 && !charts::kWindows1251[unit - 0x80]) byte = unit;
        ansi.push_back(static_cast<char>(byte < 0 ? '?' : byte));
    }
    return ansi;
}

// Where the text ends within the data: at the first NUL character (two zero bytes at an even offset
// for UTF-16), or at the data's end (a byte left over from a code unit dropped).
std::size_t TextEnd(std::string_view data, TextForm form) {
    const std::size_t unit = form == TextForm::Utf16 ? 2 : 1;
    for (std::size_t i = 0; i + unit <= data.size(); i += unit)
        if (data[i] == '\0' && (unit == 1 || data[i + 1] == '\0')) return i;
    return data.size() - data.size() % unit;
}

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

std::string ReadSettingString(std::string_view name, std::size_t bufferSize, TextForm form) {
    SettingsStore& store = ActiveSettingsStore();
    std::optional<std::string> data = form == TextForm::Utf16 ? store.ReadUtf16Data(name) : store.ReadData(name);
    if (!data) return {};
    // Text written by another program may lack its terminator; it still needs room for one. The
    // whole data counts, as a reader's buffer takes it all.
    const std::size_t unit = form == TextForm::Utf16 ? 2 : 1;
    const std::size_t units = (data->size() + unit - 1) / unit;
    const bool endsWithNul = units > 0 && data->size() % unit == 0 &&
                             data->find_first_not_of('\0', data->size() - unit) == std::string::npos;
    if (units + (endsWithNul ? 0 : 1) > bufferSize) return {};
    return data->substr(0, TextEnd(*data, form));
}

void WriteSettingDword(std::string_view name, std::uint32_t value) { ActiveSettingsStore().WriteDword(name, value); }

void WriteSettingString(std::string_view name, std::string_view text, TextForm form) {
    if (form == TextForm::Utf16) ActiveSettingsStore().WriteUtf16Text(name, text);
    else ActiveSettingsStore().WriteText(name, text);
}

std::optional<std::string> SettingsStore::ReadUtf16Data(std::string_view name) {
    std::optional<std::string> data = ReadData(name);
    if (data) *data = WidenAnsi(*data);
    return data;
}

void SettingsStore::WriteUtf16Text(std::string_view name, std::string_view text) {
    WriteText(name, NarrowToAnsi(text.substr(0, TextEnd(text, TextForm::Utf16))));
}

std::optional<std::string> MemorySettingsStore::ReadData(std::string_view name) {
    auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second.utf16 ? NarrowToAnsi(found->second.data) : found->second.data;
}

std::optional<std::string> MemorySettingsStore::ReadUtf16Data(std::string_view name) {
    auto found = values_.find(name);
    if (found == values_.end()) return std::nullopt;
    return found->second.utf16 ? found->second.data : WidenAnsi(found->second.data);
}

void MemorySettingsStore::WriteUtf16Text(std::string_view name, std::string_view text) {
    std::string data(text.substr(0, TextEnd(text, TextForm::Utf16)));
    data.append(2, '\0');
    values_[std::string(name)] = {std::move(data), true};
}

void MemorySettingsStore::WriteDword(std::string_view name, std::uint32_t value) {
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    values_[std::string(name)] = {data, false};
}

void MemorySettingsStore::WriteText(std::string_view name, std::string_view text) {
    std::string data(text);
    data.push_back('\0');
    values_[std::string(name)] = {data, false};
}
