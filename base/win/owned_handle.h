#pragma once
// One owner for each handle of the system the program holds: a registry key, a file, a device
// context, a GDI object, a global memory block. Move-only, so nothing is closed twice, and closed by
// its destructor on every path, error paths included. The null handle is "none" for every kind; a
// file opened by CreateFile comes through OwnedFileOf, which takes its INVALID_HANDLE_VALUE as none.
#include <windows.h>

#include <utility>

template <typename Handle, typename Deleter>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(other.release()) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Handle{}; }
    // The caller owns it from now on.
    Handle release() { return std::exchange(handle_, Handle{}); }
    // Closes the handle held (if any) and holds `handle` instead.
    void reset(Handle handle = Handle{}) {
        Handle old = std::exchange(handle_, handle);
        if (old != Handle{}) Deleter{}(old);
    }

private:
    Handle handle_{};
};

struct RegistryKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using RegistryKey = OwnedHandle<HKEY, RegistryKeyCloser>;

struct FileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};
using OwnedFile = OwnedHandle<HANDLE, FileCloser>;

inline OwnedFile OwnedFileOf(HANDLE opened) {
    return OwnedFile(opened == INVALID_HANDLE_VALUE ? nullptr : opened);
}

// Closes the file now: false when the system reports a failure closing it (the last buffered bytes
// may then be lost), which a destructor could not tell. True when there is no file.
inline bool CloseFile(OwnedFile& file) { return !file || CloseHandle(file.release()) != 0; }

// A device context made by CreateDC or CreateCompatibleDC (not one borrowed by GetDC).
struct DeviceContextDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using DeviceContext = OwnedHandle<HDC, DeviceContextDeleter>;

// Fonts and bitmaps: every GDI object goes by DeleteObject, which takes each kind without a cast.
struct GdiObjectDeleter {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
template <typename Object>
using GdiObject = OwnedHandle<Object, GdiObjectDeleter>;
using GdiFont = GdiObject<HFONT>;
using GdiBitmap = GdiObject<HBITMAP>;

// An icon loaded at a size of its own (not shared by the system).
struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedIcon = OwnedHandle<HICON, IconDestroyer>;

// A global memory block until it is handed on (to the clipboard, which then owns it).
struct GlobalBlockFreer {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};
using GlobalBlock = OwnedHandle<HGLOBAL, GlobalBlockFreer>;
