#pragma once
// The Ctrl+W/D/K chord: two keys struck with Ctrl held, W for ANSI, D for OEM, K for KOI8-R. The same
// key twice switches the view to that code page; two different keys convert the text (or the
// selection) from the first key's code page to the second's. The window side carries out the step
// that a key gives; this keeps only the half-typed state.
#include <cstdint>

#include "encoding/text_encoding.h"

inline constexpr int kChordAnsiCommand = 100;  // Ctrl+W
inline constexpr int kChordOemCommand = 101;   // Ctrl+D
inline constexpr int kChordKoi8Command = 102;  // Ctrl+K

struct ChordStep {
    enum class Kind {
        Wait,        // the first key: nothing to do yet
        SwitchView,  // show the text in `view`, keeping selection and scroll position
        Convert,     // carry out `conversion`, as the fixed conversion commands do
    };
    Kind kind = Kind::Wait;
    TextEncoding view = TextEncoding::Cp1251;
    TextConversion conversion{TextEncoding::Cp1251, TextEncoding::Cp1251};
};

class ChordState {
public:
    // `command` is 100-102; anything else leaves the state alone and asks for nothing.
    ChordStep Strike(int command);
    // The Ctrl key going down again in the middle of a chord abandons it, so both keys need Ctrl held
    // throughout.
    void CtrlWentDown() { pendingChord_ = -1; }
    // The view code page of the first key, or -1 when no chord is half typed.
    std::int32_t PendingChord() const { return pendingChord_; }

private:
    std::int32_t pendingChord_ = -1;
};
