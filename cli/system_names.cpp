#include "cli/system_names.h"

#ifdef _WIN32
#include <windows.h>

std::filesystem::path PathOf(const std::string& name) {
    std::wstring wide(name.size(), L'\0');
    wide.resize(MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(),
                                    static_cast<int>(wide.size())));
    return std::filesystem::path(wide);
}

std::string NarrowName(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) return {};
    std::string name(wide.size() * 2, '\0');
    BOOL lost = FALSE;
    name.resize(WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                    name.data(), static_cast<int>(name.size()), nullptr, &lost));
    return lost ? std::string() : name;
}

#else

std::filesystem::path PathOf(const std::string& name) { return std::filesystem::path(name); }

std::string NarrowName(const std::filesystem::path& path) { return path.native(); }

#endif
