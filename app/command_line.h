#pragma once
// The program takes one optional file argument, optionally preceded by a print switch ("/p" or
// "/P"). The whole process command line is parsed as one text, the way the shell hands it over:
// quotes only delimit, so a quoted name may hold blanks and an unquoted one runs to the end.
#include <string>
#include <string_view>

struct CommandLineRequest {
    std::string fileArgument;  // as written on the command line, not yet expanded; may be empty
    bool print = false;        // a print switch came before the file argument
};

// commandLine is the process's whole command line, program name first.
CommandLineRequest ParseCommandLine(std::string_view commandLine);
