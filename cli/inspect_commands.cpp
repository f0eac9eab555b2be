// detect and guess: what each file is in, by the letter statistics and by the editor's own rule.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/file_io.h"
#include "cli/tree_walk.h"
#include "cli/input_detection.h"
#include "document/code_page_guess.h"
#include "encoding/code_page_tables.h"
#include "encoding/encoding_detection.h"
#include "encoding/encoding_names.h"

const char kDetectHelp[] =
    "Usage: vemkoconv detect [--min-confidence=X] [-r] [FILE...]\n"
    "\n"
    "Prints for each FILE (standard input when none) a line: the name, a tab, the encoding and, after\n"
    "another tab, the confidence (0-1). The encoding is one of 1251 866 koi8r iso mac (Cyrillic text,\n"
    "told by the letters and letter pairs of Russian), utf-8, utf-16le, utf-16be (by the byte order\n"
    "mark or the zero bytes), utf-32le, utf-32be, ascii (no byte above 0x7F), binary (data), or unknown\n"
    "(text that reads as Cyrillic in no code page, or reads the same in two). A text whose parts are in\n"
    "different code pages is named by its first part, at a confidence below 0.90, and a fourth column\n"
    "says where the next begins (\"mixed: 866 from byte 5120\"). Binary and unknown give\n"
    "exit status 4, and so does a confidence below X when --min-confidence is given. convert -f auto\n"
    "converts only what is named with a confidence of 0.90 or more. Only the first 64 KB are read.\n"
    "With -r (--recursive) a FILE that is a folder stands for every file below it, as for convert -i.\n";

const char kGuessHelp[] =
    "Usage: vemkoconv guess [FILE...]\n"
    "\n"
    "Prints for each FILE (standard input when none) the name, a tab and the view the editor opens the\n"
    "file in, by the editor's own rule on the first 4 KB: utf-16le or utf-16be (a byte order mark, or\n"
    "the zero bytes of UTF-16 text), utf-8 (its byte order mark, or well-formed UTF-8 with letters\n"
    "beyond ASCII), else the code page 1251, 866 or koi8r.\n";

namespace {

const char* GuessName(const unsigned char* sample, std::size_t count, bool complete) {
    const Detection detection = DetectEncoding(std::string_view(reinterpret_cast<const char*>(sample), count), complete);
    if (detection.kind == Detection::Kind::Encoding && detection.encoding == TextEncoding::Utf16LE) return "utf-16le";
    if (detection.kind == Detection::Kind::Encoding && detection.encoding == TextEncoding::Utf16BE) return "utf-16be";
    static const char* const kNames[] = {"1251", "866", "koi8r", "utf-8"};
    const int view = GuessViewCodePage(sample, count);
    return view >= 0 && view <= kUtf8View ? kNames[view] : "1251";
}

}  // namespace

int Detect(const Arguments& args) {
    const double minConfidence = MinConfidence(args);
    const bool strict = args.Option("--min-confidence").has_value();
    bool failed = false, unknown = false;
    for (const std::string& file : ListedFilesOrStandardInput(args, failed)) {
        try {
            Input in(file);
            const Detected detected = DetectInput(in, minConfidence);
            const Detection::Kind kind = detected.detection.kind;
            const Detection& d = detected.detection;
            if (d.mixed)
                std::printf("%s\t%s\t%.2f\tmixed: %s from byte %zu\n", file.c_str(), detected.name, d.confidence,
                            EncodingName(d.mixedWith), d.mixedFrom);
            else
                std::printf("%s\t%s\t%.2f\n", file.c_str(), detected.name, d.confidence);
            unknown |= kind == Detection::Kind::Unknown || kind == Detection::Kind::Binary ||
                       (strict && kind == Detection::Kind::Encoding && !detected.usable);
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
            const bool complete = n < sample.size();
            std::printf("%s\t%s\n", file.c_str(),
                        GuessName(reinterpret_cast<const unsigned char*>(sample.data()), n, complete));
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            status = 1;
        }
    }
    FlushStandardOutput();
    return status;
}
