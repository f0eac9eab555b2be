#include "encoding/conversion_chord.h"

ChordStep ChordState::Strike(int command) {
    ChordStep step;
    if (command < kChordAnsiCommand || command > kChordKoi8Command) return step;
    const int codePage = command - kChordAnsiCommand;
    if (pendingChord_ < 0) {
        pendingChord_ = codePage;
        return step;
    }
    const TextEncoding encoding = EncodingOf(static_cast<ConversionCodePage>(codePage));
    if (codePage == pendingChord_) {
        step.kind = ChordStep::Kind::SwitchView;
        step.view = encoding;
    } else {
        step.kind = ChordStep::Kind::Convert;
        step.conversion = {EncodingOf(static_cast<ConversionCodePage>(pendingChord_)), encoding};
    }
    pendingChord_ = -1;
    return step;
}
