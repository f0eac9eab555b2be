#include "document/win/recovery_files.h"

#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <new>
#include <set>

namespace {

std::wstring TestFolder;

constexpr const wchar_t* kPrefix = L"vemko-";

bool MakeFolder(const std::wstring& path) {
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::wstring LocalApplicationData() {
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path))) return path;
    // Where the shell cannot say, the environment of the session still may.
    DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path) : std::wstring();
}

// Opened without sharing: fails with a sharing violation while the instance that owns it runs.
OwnedFile OpenLock(const std::wstring& path, DWORD disposition) {
    return OwnedFileOf(
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The stems (folder and name without extension) of every instance with a file of the kind here.
void CollectStems(const std::wstring& folder, const wchar_t* extension, std::set<std::wstring>& stems) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\" + kPrefix + L"*" + extension).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::wstring name = found.cFileName;
        const std::size_t dot = name.rfind(L'.');
        if (dot != std::wstring::npos && name.substr(dot) == extension)
            stems.insert(folder + L"\\" + name.substr(0, dot));
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool Earlier(const LeftCopy& a, const LeftCopy& b) { return CompareFileTime(&a.writtenAt, &b.writtenAt) < 0; }

}  // namespace

void SetRecoveryFolder(std::wstring folder) { TestFolder = std::move(folder); }

std::wstring RecoveryFolder() {
    if (!TestFolder.empty()) return MakeFolder(TestFolder) ? TestFolder : std::wstring();
    const std::wstring base = LocalApplicationData();
    if (base.empty()) return {};
    const std::wstring program = base + L"\\VEMKO";
    const std::wstring folder = program + L"\\Recovery";
    return MakeFolder(program) && MakeFolder(folder) ? folder : std::wstring();
}

bool InstanceRecoveryFiles::Open() {
    const std::wstring folder = RecoveryFolder();
    if (folder.empty()) return false;
    FILETIME started{};
    GetSystemTimeAsFileTime(&started);
    wchar_t name[64];
    std::swprintf(name, 64, L"%ls%lu-%08lx%08lx", kPrefix, GetCurrentProcessId(), started.dwHighDateTime,
                  started.dwLowDateTime);
    stem_ = folder + L"\\" + name;
    lock_ = OpenLock(stem_ + L".lock", CREATE_NEW);
    return IsOpen();
}

void InstanceRecoveryFiles::Close() {
    if (!IsOpen()) return;
    DeleteFileW(CopyPath().c_str());
    DeleteFileW(NextCopyPath().c_str());
    CloseFile(lock_);
    DeleteFileW((stem_ + L".lock").c_str());
}

std::vector<LeftCopy> ClaimLeftCopies(const std::wstring& folder) {
    std::set<std::wstring> stems;
    CollectStems(folder, L".lock", stems);
    CollectStems(folder, L".copy", stems);
    std::vector<LeftCopy> copies;
    for (const std::wstring& stem : stems) {
        LeftCopy copy{stem + L".copy", stem + L".lock", OpenLock(stem + L".lock", OPEN_ALWAYS)};
        // Still running, or being offered by another instance starting now.
        if (!copy.claim) continue;
        // A copy cut short by the end of its instance: the copy before it, if any, is whole.
        DeleteFileW((stem + L".new").c_str());
        WIN32_FILE_ATTRIBUTE_DATA attributes;
        if (!GetFileAttributesExW(copy.copyPath.c_str(), GetFileExInfoStandard, &attributes)) {
            RemoveLeftCopy(copy);
            continue;
        }
        copy.writtenAt = attributes.ftLastWriteTime;
        copies.push_back(std::move(copy));
    }
    std::sort(copies.begin(), copies.end(), Earlier);
    return copies;
}

void RemoveLeftCopy(LeftCopy& copy) {
    DeleteFileW(copy.copyPath.c_str());
    CloseFile(copy.claim);
    DeleteFileW(copy.lockPath.c_str());
}

void ReleaseLeftCopy(LeftCopy& copy) { CloseFile(copy.claim); }

DWORD WriteWholeFile(const std::wstring& path, std::string_view header, std::string_view text) {
    OwnedFile file = OwnedFileOf(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) return GetLastError();
    DWORD error = 0;
    for (std::string_view part : {header, text}) {
        while (!part.empty() && !error) {
            // In pieces a DWORD counts, and small enough that a 32-bit system need not map all at once.
            const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(part.size(), 16u << 20));
            DWORD written = 0;
            if (!WriteFile(file.get(), part.data(), piece, &written, nullptr)) error = GetLastError();
            else if (written < piece) error = ERROR_DISK_FULL;  // a short write without an error code
            part.remove_prefix(written);
        }
    }
    // The copy must be on the disk before it replaces the one before it: a power cut then leaves one
    // whole copy or the other.
    if (!error && !FlushFileBuffers(file.get())) error = GetLastError();
    if (!CloseFile(file) && !error) error = GetLastError();
    if (error) DeleteFileW(path.c_str());
    return error;
}

bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    OwnedFile file = OwnedFileOf(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size)) return false;
    if (static_cast<std::uint64_t>(size.QuadPart) > bytes.max_size()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    try {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 16u << 20));
        DWORD read = 0;
        if (!ReadFile(file.get(), bytes.data() + done, piece, &read, nullptr)) return false;
        if (read == 0) break;
        done += read;
    }
    // A file that shrank while it was read is read as it now is; the copy's own lengths judge it.
    bytes.resize(done);
    return true;
}
