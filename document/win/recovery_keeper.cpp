#include "document/win/recovery_keeper.h"

#include "document/win/program_document.h"

#include <richedit.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "base/settings.h"
#include "base/ui_text.h"
#include "base/win/program.h"
#include "base/win/shell_messages.h"
#include "document/recovery_copy.h"
#include "document/win/document_name.h"
#include "document/win/view_code_page.h"

namespace {

constexpr UINT_PTR kRecoveryTimer = 0x5243;  // "RC"
constexpr UINT_PTR kSliceTimer = 0x5253;  // "RS"
constexpr UINT kLongestTick = 1000;
// A slice of the text is copied out of the editor per timer tick, so the window answers between
// slices: a few milliseconds each, where the whole of 64 MB at once held it up for a quarter second.
constexpr std::size_t kSliceBytes = 4u << 20;

// One write: the snapshot of the text and where it goes, handed to the writing thread, which owns it
// until it ends. `cancelled` and the rename are guarded by the keeper's lock, so a copy removed while
// it was written is never put back by the rename.
struct CopyJob {
    RecoveryCopy copy;
    std::unique_ptr<char[]> text;
    std::size_t length = 0;
    std::wstring nextPath;
    std::wstring copyPath;
    std::size_t taken = 0;  // bytes of the text copied so far
    bool cancelled = false;
    DWORD error = 0;
};

struct Keeper {
    InstanceRecoveryFiles files;
    RecoverySchedule schedule;
    CRITICAL_SECTION lock{};
    bool lockMade = false;
    std::unique_ptr<CopyJob> taking;  // the text being copied out, slice by slice
    std::unique_ptr<CopyJob> job;     // the copy being written
    OwnedFile writer;                 // the writing thread
};

Keeper keeper;

std::uint64_t Now() { return GetTickCount64(); }

DWORD WINAPI WriteCopy(void* parameter) {
    CopyJob& job = *static_cast<CopyJob*>(parameter);
    const std::string_view text(job.text.get(), job.length);
    job.error = WriteWholeFile(job.nextPath, RecoveryCopyHeader(job.copy, text), text);
    if (job.error) return 0;
    EnterCriticalSection(&keeper.lock);
    if (job.cancelled) DeleteFileW(job.nextPath.c_str());
    else if (!MoveFileExW(job.nextPath.c_str(), job.copyPath.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        job.error = GetLastError();
    LeaveCriticalSection(&keeper.lock);
    if (job.error) DeleteFileW(job.nextPath.c_str());
    return 0;
}

bool DocumentUnsaved() { return EditorControl && ProgramDocument().Modified(); }

// A copy of the text must leave the editing room: in a 32-bit program a big text and its copy could
// take the address space that the next edits need.
bool RoomForSnapshot(std::size_t length) {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return !GlobalMemoryStatusEx(&status) || status.ullAvailVirtual / 2 > length + (64u << 20);
}

// Room for the text and what brings it back; the bytes come by TakeSlice. Null when there is no
// memory for the copy.
std::unique_ptr<CopyJob> StartSnapshot() {
    const Document& document = ProgramDocument();
    const std::size_t length = document.Length();
    if (!RoomForSnapshot(length)) return nullptr;
    auto job = std::unique_ptr<CopyJob>(new (std::nothrow) CopyJob);
    if (!job) return nullptr;
    job->length = length;
    // One more for the terminator that every text range gets.
    job->text.reset(new (std::nothrow) char[job->length + 1]);
    if (!job->text) return nullptr;
    if (std::strcmp(CurrentFileName, UntitledName) != 0) {
        const std::wstring path = DocumentPath();
        job->copy.path.assign(path.begin(), path.end());
    }
    job->copy.view = CodePageIndex;
    job->copy.selectionStart = document.SelectionStart();
    job->copy.selectionEnd = document.SelectionEnd();
    job->copy.firstVisibleLine = document.Editing().TopLine();
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    job->copy.writtenAt = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    job->nextPath = keeper.files.NextCopyPath();
    job->copyPath = keeper.files.CopyPath();
    return job;
}

// The next slice of the text into the snapshot, straight from the editor's text; whether it is whole.
bool TakeSlice(CopyJob& job, std::size_t most) {
    const std::size_t count = std::min(most, job.length - job.taken);
    const Document& document = ProgramDocument();
    const std::size_t copied = job.taken + count <= document.Length() ? count : 0;
    if (copied) document.Text().CopyRange(job.taken, job.taken + count, job.text.get() + job.taken);
    // A text shorter than its length said is no copy to write (it cannot be, while every change
    // drops the snapshot; it must never become a copy with a hole).
    if (copied != count) job.error = ERROR_INVALID_DATA;
    job.taken += count;
    return job.taken == job.length;
}

void TellFailure() { ShowStatusText(kEditModePart, "Копия для восстановления не записывается"_ui); }

void FinishWrite(bool wait) {
    if (!keeper.writer) return;
    if (WaitForSingleObject(keeper.writer.get(), wait ? INFINITE : 0) != WAIT_OBJECT_0) return;
    CloseFile(keeper.writer);
    const std::unique_ptr<CopyJob> job = std::move(keeper.job);
    if (job->cancelled) keeper.schedule.WriteCancelled();
    else if (keeper.schedule.WriteFinished(job->error == 0, Now())) TellFailure();
}

void StartThread(std::unique_ptr<CopyJob> job) {
    if (job && !job->error) keeper.writer = OwnedFileOf(CreateThread(nullptr, 0, WriteCopy, job.get(), 0, nullptr));
    if (!keeper.writer) {
        if (keeper.schedule.WriteFinished(false, Now())) TellFailure();
        return;
    }
    keeper.job = std::move(job);
}

// The text changed, or the copy went, while the text was being taken out: what was taken no longer
// holds together, and the next pause brings a new copy.
void DropSnapshot() {
    if (!keeper.taking) return;
    KillTimer(MainWindow, kSliceTimer);
    keeper.taking.reset();
    keeper.schedule.WriteCancelled();
}

void CALLBACK OnSliceTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (!keeper.taking) {
        KillTimer(MainWindow, kSliceTimer);
        return;
    }
    if (!TakeSlice(*keeper.taking, kSliceBytes)) return;
    KillTimer(MainWindow, kSliceTimer);
    StartThread(std::move(keeper.taking));
}

void StartWrite() {
    // A folder that could not be had at start (or was taken away) is asked for again.
    std::unique_ptr<CopyJob> job = keeper.files.IsOpen() || keeper.files.Open() ? StartSnapshot() : nullptr;
    // A write owed to typing that never pauses is taken out whole: the next key would call off a
    // copy taken slice by slice.
    if (!job || TakeSlice(*job, keeper.schedule.Overdue() ? job->length : kSliceBytes)) {
        StartThread(std::move(job));
        return;
    }
    keeper.taking = std::move(job);
    if (!SetTimer(MainWindow, kSliceTimer, USER_TIMER_MINIMUM, OnSliceTimer)) {
        TakeSlice(*keeper.taking, keeper.taking->length);
        StartThread(std::move(keeper.taking));
    }
}

void RemoveCopy() {
    DropSnapshot();
    if (!keeper.files.IsOpen()) return;
    EnterCriticalSection(&keeper.lock);
    if (keeper.job) keeper.job->cancelled = true;
    DeleteFileW(keeper.files.CopyPath().c_str());
    LeaveCriticalSection(&keeper.lock);
}

void CALLBACK OnRecoveryTimer(HWND, UINT, UINT_PTR, DWORD) {
    FinishWrite(false);
    const bool unsaved = DocumentUnsaved();
    switch (keeper.schedule.Next(Now(), unsaved, unsaved && RecoveryCopyWanted())) {
    case RecoverySchedule::Step::Write: StartWrite(); break;
    case RecoverySchedule::Step::Remove: RemoveCopy(); break;
    case RecoverySchedule::Step::Nothing: break;
    }
}

void StartTimer() {
    const auto quiet = static_cast<UINT>(std::min<std::uint64_t>(keeper.schedule.Timings().quiet, kLongestTick));
    if (MainWindow) SetTimer(MainWindow, kRecoveryTimer, std::max(quiet / 2, 10u), OnRecoveryTimer);
}

}  // namespace

bool RecoveryCopyWanted() { return ReadSettingDword("RC", 1) != 0; }

void StartRecoveryCopies() {
    if (!keeper.lockMade) {
        InitializeCriticalSection(&keeper.lock);
        keeper.lockMade = true;
    }
    keeper.schedule = RecoverySchedule(keeper.schedule.Timings());
    if (!keeper.files.IsOpen()) keeper.files.Open();
    StartTimer();
}

void EndRecoveryCopies() {
    if (MainWindow) KillTimer(MainWindow, kRecoveryTimer);
    DropSnapshot();
    if (keeper.job) RemoveCopy();
    FinishWrite(true);
    keeper.files.Close();
}

void NoteTextChanged() {
    keeper.schedule.TextChanged(Now());
    DropSnapshot();
}

void DiscardRecoveryCopy() {
    if (!keeper.files.IsOpen()) return;
    RemoveCopy();
    keeper.schedule.CopyRemoved(Now());
}

void TakeOverRecoveryCopy(LeftCopy& copy) {
    if (keeper.files.IsOpen() &&
        MoveFileExW(copy.copyPath.c_str(), keeper.files.CopyPath().c_str(), MOVEFILE_REPLACE_EXISTING))
        keeper.schedule.CopyTaken();
    else
        keeper.schedule.TextChanged(Now());
    RemoveLeftCopy(copy);
}

void SetRecoveryTimings(const RecoveryTimings& timings) {
    keeper.schedule.SetTimings(timings);
    StartTimer();
}

const InstanceRecoveryFiles& OwnRecoveryFiles() { return keeper.files; }
