#pragma once
// The loops over a command's files, shared by the commands that take several: each FILE in place
// (-i), or every input in order into one output.
#include <functional>
#include <string>

#include "cli/arguments.h"
#include "cli/file_io.h"
#include "cli/run_summary.h"

// What one file came to, for the exit status: 4 when any could not be told, else 3 when any had
// characters replaced or lost, else 0; with -i, 1 before either when a file failed.
struct FileOutcome {
    bool unknown = false;
    bool replaced = false;
    Tally tally = Tally::Done;  // for the summary
};

// -i: `each(file, in)` for every FILE (with -r, every file below a FILE that is a folder), which
// prints the file's line through PrintFileLine. A file that is missing, is no regular file or fails to
// be read or written is said on standard error and the others go on. The files are worked on side by
// side, their lines printed in order; a summary on standard error ends a run over several. `verb`
// names the command in "-i cannot VERB standard input in place" and in the summary.
int EachFileInPlace(const Arguments& args, const char* verb,
                    const std::function<FileOutcome(const std::string& file, Input& in)>& each);

// Writes `file` anew by `write(out)`: beside it, then in its place once every byte is written, with
// its mode kept (and with -p its modification time); with -n into nowhere.
void ReplaceFile(const std::string& file, Input& in, const std::function<void(Output& out)>& write);

// Without -i: every input opens before OUT does, so that a missing one leaves OUT as it was; then
// `each(in, out)` for each in order, and OUT is put in place after the last. What `each` throws
// leaves OUT as it was.
int EachInputIntoOutput(const Arguments& args, const std::function<FileOutcome(Input& in, Output& out)>& each);
