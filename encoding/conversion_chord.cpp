#include "encoding/conversion_chord.h"

#include "encoding/code_page_tables.h"

namespace {
constexpr int kToAnsiCommand = 29;  // "-> A&NSI"; "-> O&EM" and "-> KOI8" follow it
}

ChordStep ChordState::Strike(int command) {
    ChordStep step;
    if (command < kChordAnsiCommand || command > kChordKoi8Command) return step;
    const int codePage = command - kChordAnsiCommand;
    if (pendingChord_ < 0) {
        pendingChord_ = codePage;
        return step;
    }
    if (codePage == pendingChord_) {
        step.kind = ChordStep::Kind::SwitchView;
        step.codePage = codePage;
    } else {
        step.kind = ChordStep::Kind::Convert;
        step.codePage = codePage;
        step.command = kToAnsiCommand + codePage;
        step.fromTable = FromTable[pendingChord_];
        step.toTable = ToTable[codePage];
    }
    pendingChord_ = -1;
    return step;
}
