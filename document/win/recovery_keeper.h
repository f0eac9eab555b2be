#pragma once
// Keeps this instance's recovery copy while the document has unsaved changes ("RC", on by default).
// The typing only notes the time of the change; a timer of the main window writes the copy once the
// typing pauses. The text is copied out of the editor a slice per timer tick (a change meanwhile calls
// the copy off; typing that never pauses gets one taken whole now and then) and written on a thread
// of its own, so a big text's copy never holds up the window, and the written file is renamed over the
// copy before it, so a copy on disk is always whole. A failed write leaves editing alone: it is
// tried again later, and the status bar tells of a run of failures once.
#include <windows.h>

#include "document/recovery_schedule.h"
#include "document/win/recovery_files.h"

// At start, once the main window and the editor are made: this instance's lock and the timer.
void StartRecoveryCopies();
// At a normal exit: waits for a write under way, then the copy and the lock go.
void EndRecoveryCopies();
// The editor's text changed (its change notification).
void NoteTextChanged();
// The text was saved or the user threw it away: the copy goes now.
void DiscardRecoveryCopy();
// A copy left by an earlier instance, brought back into the editor, becomes this instance's copy.
void TakeOverRecoveryCopy(LeftCopy& copy);
// Whether the switch "RC" is on.
bool RecoveryCopyWanted();
// Tests shorten the waits; the timer then ticks more often.
void SetRecoveryTimings(const RecoveryTimings& timings);
// This instance's files (for tests).
const InstanceRecoveryFiles& OwnRecoveryFiles();
