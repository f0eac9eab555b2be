#pragma once
// The tool's commands. Each is a function of its arguments that returns the exit status; the table
// in commands.cpp gives its name, its help and the options it takes, so a new command is one line
// there, its function and help here and in a file of its group, and its lines in the usage.
#include <string>
#include <string_view>

#include "cli/arguments.h"

struct Command {
    const char* name;
    int (*run)(const Arguments& args);
    const char* help;  // what COMMAND --help prints
    OptionNames options;
};

const Command* FindCommand(std::string_view name);

// Exit statuses besides 0, 1 (a file could not be read or written) and 2 (bad usage).
constexpr int kReplacedStatus = 3;
constexpr int kUnknownStatus = 4;

// A file's failure that does not stop the others.
void PrintError(const std::string& file, const std::string& message);
// Throws IoError when what was printed could not be written.
void FlushStandardOutput();

// convert_command.cpp
extern const char kConvertHelp[];
int Convert(const Arguments& args);

// inspect_commands.cpp
extern const char kDetectHelp[];
int Detect(const Arguments& args);
extern const char kGuessHelp[];
int Guess(const Arguments& args);

// repair_command.cpp
extern const char kRepairHelp[];
int Repair(const Arguments& args);

// text_commands.cpp
extern const char kTransformHelp[];
int Transform(const Arguments& args);
extern const char kAlignHelp[];
int Align(const Arguments& args);
