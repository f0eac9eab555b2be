#include "cli/commands.h"

#include <cerrno>
#include <cstdio>

#include "cli/file_io.h"
#include "cli/file_lines.h"

namespace {

// The options of the commands that work on a whole archive.
constexpr std::pair<std::string_view, std::string_view> kRecursive{"--recursive", "-r"}, kDryRun{"--dry-run", "-n"},
    kPreserve{"--preserve", "-p"};

const Command kCommands[] = {
    {"convert", Convert, kConvertHelp,
     {{"-f", "-t", "-o", "--min-confidence", "--eol"}, {"-i", "--exact", "-r", "-n", "-p"},
      {{"--from-code", "-f"}, {"--to-code", "-t"}, {"--output", "-o"}, {"--in-place", "-i"}, kRecursive, kDryRun,
       kPreserve}}},
    {"repair", Repair, kRepairHelp,
     {{"-t", "-o"}, {"-i", "-r", "-n", "-p", "--explain"},
      {{"--to-code", "-t"}, {"--output", "-o"}, {"--in-place", "-i"}, kRecursive, kDryRun, kPreserve}}},
    {"detect", Detect, kDetectHelp, {{"--min-confidence"}, {"-r"}, {kRecursive}}},
    {"guess", Guess, kGuessHelp, {}},
    {"transform", Transform, kTransformHelp, {{"-c", "-o", "--eol"}, {}, {{"--output", "-o"}}}},
    {"align", Align, kAlignHelp, {{"--li", "--fi", "--ri", "-o"}, {"--ig", "--crlf", "--lf"}, {{"--output", "-o"}}}},
};

}  // namespace

const Command* FindCommand(std::string_view name) {
    for (const Command& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

void PrintError(const std::string& file, const std::string& message) {
    PrintErrorText("vemkoconv: " + file + ": " + message + "\n");
}

void FlushStandardOutput() {
    if (std::fflush(stdout) != 0) throw IoError{"standard output", errno};
}
