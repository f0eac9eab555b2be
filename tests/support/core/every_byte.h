#pragma once
// The 256 byte values in order, for tests that put every byte through a conversion or the control.
#include <string>

inline std::string EveryByte() {
    std::string bytes(256, '\0');
    for (int b = 0; b < 256; ++b) bytes[b] = static_cast<char>(b);
    return bytes;
}
