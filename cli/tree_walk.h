#pragma once
// The files that a command's FILE arguments name: each as it is given, or with -r the files of a
// folder, walked through every folder below it in the order of their names.
#include <string>
#include <vector>

#include "cli/arguments.h"

struct ListedFile {
    // As a user would write it: the argument, then the names below it.
    std::string name;
    // Empty for a file to work on; otherwise what is said instead of working on it.
    std::string note;
    // The note tells of an error (exit status 1) rather than of a file left out on purpose.
    bool failed = false;
};

// Without `recursive`, the arguments as they are. With it, a folder stands for the files below it:
// a symbolic link to a folder is not followed (an archive's links would visit a folder twice, or
// forever), a link to a file stands for the file it points to, and a file reached by several names
// is listed once. FIFOs, devices and sockets below a folder are left out with a note; so is a folder
// that cannot be read, and the walk goes on. An argument itself is taken as given, a link included.
std::vector<ListedFile> ListFiles(const std::vector<std::string>& arguments, bool recursive);

// The files of a command that reads them (standard input when none): with -r as ListFiles gives them,
// its notes said on standard error first; `failed` is set when one tells of an error.
std::vector<std::string> ListedFilesOrStandardInput(const Arguments& args, bool& failed);
