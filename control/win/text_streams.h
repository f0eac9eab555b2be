#pragma once
// Bytes between memory and an editor control by its stream messages (EM_STREAMIN, EM_STREAMOUT):
// the one set of stream callbacks for every part that moves text in or out whole, every byte
// included (the text messages would stop at a NUL). Each answers the stream's error
// (EDITSTREAM::dwError): 0 when every byte went, else the callback's refusal or the control's own
// failure (ERROR_NOT_ENOUGH_MEMORY when memory for the text ran out, the text then as it was).
#include <windows.h>
#include <richedit.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The stream message with a callback of the caller's, for a source or target other than memory.
// expected: the bytes the stream will bring, so the control makes room for them once (0: unknown).
DWORD StreamIn(HWND control, WPARAM format, EDITSTREAMCALLBACK callback, void* cookie, std::uint64_t expected = 0);
DWORD StreamOut(HWND control, WPARAM format, EDITSTREAMCALLBACK callback, void* cookie);

// The bytes in place of the whole text, or with SFF_SELECTION in place of the selection.
DWORD StreamBytesIn(HWND control, WPARAM format, std::string_view bytes);
// The text (with SFF_SELECTION the selection) into room of a fixed size; the stream stops with an
// error rather than write past it. written: the bytes written, also when they did not all fit.
DWORD StreamBytesOut(HWND control, WPARAM format, char* room, std::size_t capacity, std::size_t& written);
// The text (with SFF_SELECTION the selection) appended to bytes, which grows as it comes; the
// stream stops with ERROR_NOT_ENOUGH_MEMORY when it cannot.
DWORD StreamBytesOut(HWND control, WPARAM format, std::string& bytes);
