#pragma once
// One owner per system handle, which its destructor releases: files, registry keys, GDI objects,
// device contexts and global memory blocks. Move-only, so nothing is released twice; a handle that
// must reach the system as a plain value is lent with get() and stays owned.
#include <windows.h>

#include <utility>

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    // Gives up the ownership without releasing the handle.
    Handle release() { return std::exchange(handle_, Traits::Invalid()); }
    // Releases the handle held, if any, and holds `handle` instead.
    void reset(Handle handle = Traits::Invalid()) {
        Handle old = std::exchange(handle_, handle);
        if (old != Traits::Invalid()) Traits::Close(old);
    }
    // Releases the handle now: false when the system reports a failure (a file's last buffered bytes
    // may then be lost).
    bool Close() {
        Handle old = release();
        return old == Traits::Invalid() || Traits::Close(old);
    }
    // For a function that hands a new handle out through a pointer: the old one is released first.
    Handle* Put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Invalid();
};

namespace unique_handle_traits {

struct File {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static bool Close(Handle handle) { return CloseHandle(handle) != 0; }
};

struct RegistryKey {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle handle) { return RegCloseKey(handle) == ERROR_SUCCESS; }
};

template <typename Object>
struct GdiObject {
    using Handle = Object;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle handle) { return DeleteObject(handle) != 0; }
};

struct DeviceContext {
    using Handle = HDC;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle handle) { return DeleteDC(handle) != 0; }
};

struct GlobalBlock {
    using Handle = HGLOBAL;
    static Handle Invalid() { return nullptr; }
    static bool Close(Handle handle) { return GlobalFree(handle) == nullptr; }
};

}  // namespace unique_handle_traits

using UniqueFile = UniqueHandle<unique_handle_traits::File>;
using UniqueRegistryKey = UniqueHandle<unique_handle_traits::RegistryKey>;
using UniqueFont = UniqueHandle<unique_handle_traits::GdiObject<HFONT>>;
using UniqueBitmap = UniqueHandle<unique_handle_traits::GdiObject<HBITMAP>>;
using UniqueBrush = UniqueHandle<unique_handle_traits::GdiObject<HBRUSH>>;
// A memory device context or a printer's, made with CreateCompatibleDC or CreateDC.
using UniqueDeviceContext = UniqueHandle<unique_handle_traits::DeviceContext>;
using UniqueGlobalBlock = UniqueHandle<unique_handle_traits::GlobalBlock>;
