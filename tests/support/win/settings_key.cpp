#include "support/win/settings_key.h"

#include "base/settings.h"

SettingsKeySnapshot::SettingsKeySnapshot() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return;
    existed_ = true;
    for (DWORD index = 0;; ++index) {
        // Read and put back in UTF-16: texts come back exactly, whatever the system's code page.
        wchar_t name[256];
        DWORD nameLength = 256;
        DWORD type = 0;
        DWORD size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        std::string data(size, '\0');
        nameLength = 256;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size) !=
            ERROR_SUCCESS)
            break;
        data.resize(size);
        values_.push_back({std::wstring(name, nameLength), type, data});
    }
    RegCloseKey(key);
}

SettingsKeySnapshot::~SettingsKeySnapshot() {
    ClearSettingsKey();
    if (!existed_) return;
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    for (const Value& value : values_)
        RegSetValueExW(key, value.name.c_str(), 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

void ClearSettingsKey() { RegDeleteTreeA(HKEY_CURRENT_USER, kSettingsKeyPath); }

bool SettingsKeyExists() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    RegCloseKey(key);
    return true;
}

void WriteRawSetting(const char* name, DWORD type, const void* data, DWORD size) {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

bool ReadRawSetting(const char* name, DWORD* type, std::string* data) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool found = RegQueryValueExA(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS;
    if (found) {
        data->assign(size, '\0');
        found = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE*>(data->data()), &size) == ERROR_SUCCESS;
        data->resize(size);
    }
    RegCloseKey(key);
    return found;
}
