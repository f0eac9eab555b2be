#pragma once
// The recovery copies on disk. They live in a folder of the program's own in the user's local
// application data. Each running instance has three files there, named by its process id and the
// time it started: a lock file it holds open, without sharing, for as long as it runs; its copy;
// and the next copy while it is being written. The system closes a process's files however it
// ends, killed included, so an instance runs exactly while its lock file cannot be opened: a copy
// whose lock opens was left by an instance that no longer runs, and a process id used again by
// another program is never mistaken for it.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/win/owned_handle.h"

// A test puts a folder of its own in place of the user's (empty: the user's again).
void SetRecoveryFolder(std::wstring folder);
// %LOCALAPPDATA%\VEMKO\Recovery (or the test's folder), made when missing; empty when there is none.
std::wstring RecoveryFolder();

// This instance's files.
class InstanceRecoveryFiles {
public:
    // Makes the folder and takes this instance's lock; false when neither can be had (the program
    // then keeps no copy).
    bool Open();
    // At a normal exit: the copy, the next copy and the lock go.
    void Close();
    bool IsOpen() const { return static_cast<bool>(lock_); }
    std::wstring CopyPath() const { return stem_ + L".copy"; }
    std::wstring NextCopyPath() const { return stem_ + L".new"; }

private:
    OwnedFile lock_;
    std::wstring stem_;  // the folder and the instance's name, without an extension
};

// A copy left by an instance that no longer runs, claimed by holding that instance's lock, so that
// another instance starting at the same moment does not offer it too.
struct LeftCopy {
    std::wstring copyPath;
    std::wstring lockPath;
    OwnedFile claim;
    FILETIME writtenAt{};  // the file's own time, for a copy that cannot be read
};

// The copies left in the folder, oldest first. Locks and unfinished copies of instances that no
// longer run and left no copy are cleared away.
std::vector<LeftCopy> ClaimLeftCopies(const std::wstring& folder);
// The copy is answered for: it and its lock go.
void RemoveLeftCopy(LeftCopy& copy);
// The copy stays for the next start.
void ReleaseLeftCopy(LeftCopy& copy);

// Writes the bytes to a new file at `path` (made anew), then flushes it to the disk. 0 when every
// byte is there, else the system's error; a file that failed is removed.
DWORD WriteWholeFile(const std::wstring& path, std::string_view header, std::string_view text);
// The whole file; false when it cannot be read whole (the error set, ERROR_NOT_ENOUGH_MEMORY for a
// file too large for the memory at hand).
bool ReadWholeFile(const std::wstring& path, std::string& bytes);
