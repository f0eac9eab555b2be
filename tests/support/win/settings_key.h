#pragma once
// The tests run against the real registry of the Wine prefix. A test that changes settings keeps a
// SettingsKeySnapshot: it remembers every value of HKCU\Software\Orvu\Vemkoc when made and puts the
// key back exactly so when destroyed (a key that did not exist is removed again).
#include <windows.h>

#include <string>
#include <vector>

class SettingsKeySnapshot {
public:
    SettingsKeySnapshot();
    ~SettingsKeySnapshot();
    SettingsKeySnapshot(const SettingsKeySnapshot&) = delete;
    SettingsKeySnapshot& operator=(const SettingsKeySnapshot&) = delete;

private:
    struct Value {
        std::wstring name;
        DWORD type;
        std::string data;
    };
    bool existed_ = false;
    std::vector<Value> values_;
};

// Removes the settings key with all its values: the state of a first run.
void ClearSettingsKey();
bool SettingsKeyExists();
// Writes a value of any type and size the way another program could.
void WriteRawSetting(const char* name, DWORD type, const void* data, DWORD size);
// The stored bytes and type; false when missing.
bool ReadRawSetting(const char* name, DWORD* type, std::string* data);
