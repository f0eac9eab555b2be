#include "control/win/text_streams.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "control/win/editor_control.h"

namespace {

struct Source {
    std::string_view bytes;
    std::size_t position = 0;
};

DWORD CALLBACK HandOut(DWORD_PTR cookie, LPBYTE block, LONG room, LONG* moved) {
    auto& source = *reinterpret_cast<Source*>(cookie);
    const std::size_t count = std::min(source.bytes.size() - source.position, static_cast<std::size_t>(room));
    std::memcpy(block, source.bytes.data() + source.position, count);
    source.position += count;
    *moved = static_cast<LONG>(count);
    return 0;
}

struct FixedRoom {
    char* room;
    std::size_t capacity;
    std::size_t written = 0;
};

DWORD CALLBACK CopyInto(DWORD_PTR cookie, LPBYTE block, LONG count, LONG* moved) {
    auto& target = *reinterpret_cast<FixedRoom*>(cookie);
    const std::size_t taken = std::min(target.capacity - target.written, static_cast<std::size_t>(count));
    std::memcpy(target.room + target.written, block, taken);
    target.written += taken;
    *moved = static_cast<LONG>(taken);
    return taken == static_cast<std::size_t>(count) ? 0 : ERROR_INSUFFICIENT_BUFFER;
}

DWORD CALLBACK Append(DWORD_PTR cookie, LPBYTE block, LONG count, LONG* moved) {
    try {
        reinterpret_cast<std::string*>(cookie)->append(reinterpret_cast<const char*>(block),
                                                       static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        *moved = 0;
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    *moved = count;
    return 0;
}

}  // namespace

DWORD StreamIn(HWND control, WPARAM format, EDITSTREAMCALLBACK callback, void* cookie, std::uint64_t expected) {
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(cookie), 0, callback};
    if (expected) SendMessageA(control, EM_EXPECTSTREAMSIZE, 0, static_cast<LPARAM>(expected));
    SendMessageA(control, EM_STREAMIN, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError;
}

DWORD StreamOut(HWND control, WPARAM format, EDITSTREAMCALLBACK callback, void* cookie) {
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(cookie), 0, callback};
    SendMessageA(control, EM_STREAMOUT, format, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError;
}

DWORD StreamBytesIn(HWND control, WPARAM format, std::string_view bytes) {
    Source source{bytes};
    return StreamIn(control, format, HandOut, &source, bytes.size());
}

DWORD StreamBytesOut(HWND control, WPARAM format, char* room, std::size_t capacity, std::size_t& written) {
    FixedRoom target{room, capacity};
    DWORD error = StreamOut(control, format, CopyInto, &target);
    written = target.written;
    return error;
}

DWORD StreamBytesOut(HWND control, WPARAM format, std::string& bytes) {
    return StreamOut(control, format, Append, &bytes);
}
