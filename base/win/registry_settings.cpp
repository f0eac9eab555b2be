#include "base/win/registry_settings.h"

#include "base/win/owned_handle.h"
#include "base/win/shown_text.h"

namespace {

RegistryKey OpenSettingsKey(REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, access, &key) != ERROR_SUCCESS) return {};
    return RegistryKey(key);
}

RegistryKey CreateSettingsKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return {};
    return RegistryKey(key);
}

RegistrySettingsStore registryStore;

void SetValue(std::string_view name, DWORD type, const void* data, DWORD size) {
    RegistryKey key = CreateSettingsKey();
    if (!key) return;
    RegSetValueExW(key.get(), WideText(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

// Data of another type read as a text in the Utf16 form: its bytes as 1251, as ReadData gives them.
std::string WidenedData(const std::string& data) {
    const std::wstring wide = WideText(data);
    return std::string(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
}

// Texts are stored and read in UTF-16 and handed over as 1251 (or in the Utf16 form as they are), so
// that a text reads back the same in another instance and on a system of any code page; the A
// functions would convert through the system's code page. A Russian system's A functions stored
// exactly these UTF-16 texts, so values written before read the same.
std::optional<std::string> ReadValue(std::string_view name, TextForm form) {
    RegistryKey key = OpenSettingsKey(KEY_QUERY_VALUE);
    if (!key) return std::nullopt;
    const std::wstring valueName = WideText(name);
    // A value growing between the two calls is asked again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        DWORD type = REG_NONE;
        LONG status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, nullptr, &size);
        if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return std::nullopt;
        std::string data(size, '\0');
        status = RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                                  &size);
        if (status == ERROR_MORE_DATA) continue;
        if (status != ERROR_SUCCESS) return std::nullopt;
        data.resize(size < data.size() ? size : data.size());
        const bool isText = type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
        if (!isText) return form == TextForm::Utf16 ? WidenedData(data) : data;
        if (form == TextForm::Utf16) return data;
        // One byte per character, the terminator included, as the A call counts a 1251 text.
        std::wstring text(data.size() / sizeof(wchar_t), L'\0');
        data.copy(reinterpret_cast<char*>(text.data()), text.size() * sizeof(wchar_t));
        return AnsiText(text);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::string> RegistrySettingsStore::ReadData(std::string_view name) {
    return ReadValue(name, TextForm::Ansi);
}

std::optional<std::string> RegistrySettingsStore::ReadUtf16Data(std::string_view name) {
    return ReadValue(name, TextForm::Utf16);
}

void RegistrySettingsStore::WriteUtf16Text(std::string_view name, std::string_view text) {
    std::string data(text.substr(0, text.size() & ~std::size_t{1}));
    for (std::size_t i = 0; i < data.size(); i += 2)
        if (data[i] == '\0' && data[i + 1] == '\0') data.resize(i);
    data.append(2, '\0');
    SetValue(name, REG_SZ, data.data(), static_cast<DWORD>(data.size()));
}

void RegistrySettingsStore::WriteDword(std::string_view name, std::uint32_t value) {
    DWORD data = value;
    SetValue(name, REG_DWORD, &data, sizeof data);
}

void RegistrySettingsStore::WriteText(std::string_view name, std::string_view text) {
    const std::wstring data = WideText(text);
    SetValue(name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void InstallRegistrySettings() { InstallSettingsStore(&registryStore); }

bool ReadSettingBlock(const char* name, void* data, DWORD size) {
    std::optional<std::string> stored = registryStore.ReadData(name);
    if (!stored || stored->size() != size) return false;
    stored->copy(static_cast<char*>(data), size);
    return true;
}

void WriteSettingBlockToExistingKey(const char* name, const void* data, DWORD size) {
    RegistryKey key = OpenSettingsKey(KEY_SET_VALUE);
    if (!key) return;
    RegSetValueExA(key.get(), name, 0, REG_BINARY, static_cast<const BYTE*>(data), size);
}
