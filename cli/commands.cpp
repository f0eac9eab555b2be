#include "cli/commands.h"

#include <cerrno>
#include <cstdio>

#include "cli/file_io.h"

namespace {

const Command kCommands[] = {
    {"convert", Convert, kConvertHelp,
     {{"-f", "-t", "-o", "--min-confidence"}, {"-i", "--exact"},
      {{"--from-code", "-f"}, {"--to-code", "-t"}, {"--output", "-o"}, {"--in-place", "-i"}}}},
    {"repair", Repair, kRepairHelp,
     {{"-t", "-o"}, {"-i"}, {{"--to-code", "-t"}, {"--output", "-o"}, {"--in-place", "-i"}}}},
    {"detect", Detect, kDetectHelp, {{"--min-confidence"}, {}, {}}},
    {"guess", Guess, kGuessHelp, {}},
    {"transform", Transform, kTransformHelp, {{"-c", "-o"}, {}, {{"--output", "-o"}}}},
    {"align", Align, kAlignHelp, {{"--li", "--fi", "--ri", "-o"}, {"--ig", "--crlf", "--lf"}, {{"--output", "-o"}}}},
};

}  // namespace

const Command* FindCommand(std::string_view name) {
    for (const Command& command : kCommands)
        if (name == command.name) return &command;
    return nullptr;
}

void PrintError(const std::string& file, const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "vemkoconv: %s: %s\n", file.c_str(), message.c_str());
}

void FlushStandardOutput() {
    if (std::fflush(stdout) != 0) throw IoError{"standard output", errno};
}
