#pragma once
// The user's settings: named values under HKCU\Software\Orvu\Vemkoc. Every reader and writer in the
// program goes through the four operations below; they read and write the installed store at the
// moment of use, so nothing is cached. On Windows the store is the registry (base/win/registry_settings);
// tests and the command-line tool install a MemorySettingsStore.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

inline constexpr const char* kSettingsKeyPath = "Software\\Orvu\\Vemkoc";

// How a text value is handed over: as the program's 1251 bytes, or as the UTF-16LE code units the
// registry keeps, for a text the user typed that may hold characters 1251 lacks. Both forms read the
// same stored characters, so a value written in one reads in the other as the same text (with '?' for
// a character 1251 lacks), and values written before read the same in either.
enum class TextForm { Ansi, Utf16 };

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The value's data bytes as stored, or nothing when the key or the value is missing.
    virtual std::optional<std::string> ReadData(std::string_view name) = 0;
    virtual void WriteDword(std::string_view name, std::uint32_t value) = 0;
    // Stored as a text value with its terminating NUL.
    virtual void WriteText(std::string_view name, std::string_view text) = 0;
    // The same in the Utf16 form (the terminator included when stored). A store that keeps its texts
    // as 1251 converts them by the 1251 chart.
    virtual std::optional<std::string> ReadUtf16Data(std::string_view name);
    virtual void WriteUtf16Text(std::string_view name, std::string_view text);
};

// The store the four operations use; a MemorySettingsStore until the program installs another.
SettingsStore& ActiveSettingsStore();
void InstallSettingsStore(SettingsStore* store);  // nullptr: back to the built-in memory store

// Data longer than 4 bytes, or missing, gives the default; shorter data is zero-extended.
std::uint32_t ReadSettingDword(std::string_view name, std::uint32_t defaultValue);
// The text up to its first NUL; empty when missing or when the data with a terminator would not fit
// into a reader's buffer of bufferSize characters (bytes of 1251, code units of UTF-16).
std::string ReadSettingString(std::string_view name, std::size_t bufferSize, TextForm form = TextForm::Ansi);
void WriteSettingDword(std::string_view name, std::uint32_t value);
void WriteSettingString(std::string_view name, std::string_view text, TextForm form = TextForm::Ansi);

class MemorySettingsStore final : public SettingsStore {
public:
    std::optional<std::string> ReadData(std::string_view name) override;
    void WriteDword(std::string_view name, std::uint32_t value) override;
    void WriteText(std::string_view name, std::string_view text) override;
    std::optional<std::string> ReadUtf16Data(std::string_view name) override;
    void WriteUtf16Text(std::string_view name, std::string_view text) override;
    // Tests plant odd data (too long, no terminator) the way another program could.
    void WriteRaw(std::string_view name, std::string data) { values_[std::string(name)] = {std::move(data), false}; }
    void Clear() { values_.clear(); }
    bool Has(std::string_view name) const { return values_.count(std::string(name)) != 0; }

private:
    // A text written in the Utf16 form is kept so, as the registry keeps every text.
    struct Value {
        std::string data;
        bool utf16 = false;
    };
    std::map<std::string, Value, std::less<>> values_;
};
