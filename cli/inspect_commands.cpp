// detect and guess: what each file is in, by the letter statistics and by the editor's own rule.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_io.h"
#include "cli/input_detection.h"
#include "document/code_page_guess.h"
#include "encoding/encoding_names.h"

const char kDetectHelp[] =
    "Usage: vemkoconv detect [FILE...]\n"
    "\n"
    "Prints for each FILE (standard input when none) a line: the name, a tab, the encoding and, after\n"
    "another tab, the confidence (0-1). The encoding is one of 1251 866 koi8r iso mac utf-8 ascii, from\n"
    "the letters and letter pairs of Russian text; ascii is a file with no byte above 0x7F; one that\n"
    "cannot be told is unknown (exit status 4). Only the first 64 KB of a file are read.\n";

const char kGuessHelp[] =
    "Usage: vemkoconv guess [FILE...]\n"
    "\n"
    "Prints for each FILE (standard input when none) the name, a tab and the code page (1251, 866 or\n"
    "koi8r) that the editor shows the file in on load, by the editor's own rule.\n";

namespace {

const char* GuessName(int codePage) {
    static const char* const kNames[] = {"1251", "866", "koi8r"};
    return kNames[codePage];
}

}  // namespace

int Detect(const Arguments& args) {
    bool failed = false, unknown = false;
    for (const std::string& file : FilesOrStandardInput(args)) {
        try {
            Input in(file);
            Detected detected = DetectInput(in);
            const char* name = !detected.known ? "unknown" : detected.encoding ? EncodingName(*detected.encoding) : "ascii";
            std::printf("%s\t%s\t%.2f\n", file.c_str(), name, detected.confidence);
            unknown |= !detected.known;
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            failed = true;
        }
    }
    FlushStandardOutput();
    return failed ? 1 : unknown ? kUnknownStatus : 0;
}

int Guess(const Arguments& args) {
    int status = 0;
    std::vector<char> sample(kCodePageGuessWindow);
    for (const std::string& file : FilesOrStandardInput(args)) {
        try {
            Input in(file);
            std::size_t n = in.Read(sample.data(), sample.size());
            int codePage = GuessCodePage(reinterpret_cast<const unsigned char*>(sample.data()), n);
            std::printf("%s\t%s\n", file.c_str(), GuessName(codePage));
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            status = 1;
        }
    }
    FlushStandardOutput();
    return status;
}
