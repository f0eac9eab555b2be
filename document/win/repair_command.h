#pragma once
// Command 57, the repair of mojibake: text that was written in one encoding and read (and perhaps
// saved again) as another, up to three layers, is written back as it was first written, piece by
// piece, so that what already reads right keeps its bytes, in one undo step. When more than one
// reading is plausible the user picks one of them (or cancels, and nothing changes). The user is told
// what was undone, or that there was nothing to repair, or that the damage could not be understood.

void RunRepairCommand();
