// vemkoconv: the editor's conversions, transforms, alignment and code page guess on files, through the
// very functions the editor calls, and conversions to and from UTF-8 with encoding detection through
// the core's Unicode conversion. Only argument handling and I/O live in cli/: here the program's
// entry and its own options; the commands are in the table of commands.cpp.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "base/version.h"
#include "cli/arguments.h"
#include "cli/commands.h"
#include "cli/file_io.h"
#include "encoding/encoding_names.h"

namespace {

constexpr const char* kVersion = "vemkoconv " VEMKO_VERSION;

constexpr const char* kUsage =
    "Usage:\n"
    "  vemkoconv convert -f FROM -t TO [--exact] [-o OUT] [IN...]\n"
    "  vemkoconv convert -f FROM|auto [-t TO] [--min-confidence=X] -i [-r] [-n] [-p] FILE...\n"
    "  vemkoconv repair [-t TO] [-o OUT | -i [-r] [-n] [-p]] [FILE...]\n"
    "  vemkoconv detect [--min-confidence=X] [-r] [FILE...]\n"
    "  vemkoconv guess [FILE...]\n"
    "  vemkoconv transform fido|translit|qp|bare-cr [-c CP] [-o OUT] [IN]\n"
    "  vemkoconv align justify|centre|left|right [--ig] [--li N] [--fi N] [--ri N] [--crlf|--lf] [-o OUT] [IN]\n"
    "  vemkoconv -l | --list | --help | --version | COMMAND --help\n"
    "\n"
    "convert    converts the IN files, joined in order, from FROM to TO (auto: detected).\n"
    "repair     undoes the mis-readings that made Russian text \"РџСЂРёРІРµС‚\" (clean: none).\n"
    "detect     names the encoding of each FILE: 1251 866 koi8r iso mac utf-8 utf-16le utf-16be\n"
    "           utf-32le utf-32be ascii, or binary, or unknown.\n"
    "guess      prints FILE, a tab and the code page the editor would show the file in.\n"
    "transform  fido: to 866 with Latin H and p; translit: Cyrillic letters to Latin;\n"
    "           qp: decodes =XX; bare-cr: a LF after every CR that lacks one.\n"
    "align      lays out the paragraphs again, keeping the input's line ends.\n"
    "\n"
    "Encodings: 1251, 866, koi8r, iso, mac, utf-8, utf-16le, utf-16be (-l lists their other names).\n"
    "IN and OUT default to standard input and output; FILE too where it is optional. With -i each FILE\n"
    "is rewritten in place; -r walks folders, -n is a dry run, -p keeps modification times.\n"
    "\n"
    "Exit status: 0 done; 1 a file could not be read or written; 2 bad usage; 3 done, but characters\n"
    "the target lacks or malformed input were replaced by '?'; 4 an encoding could not be told.\n";

void PrintList() {
    for (const EncodingNames& e : AllEncodingNames()) {
        std::printf("%s", e.name);
        for (const char* alias : e.aliases) std::printf(" %s", alias);
        std::printf("\n");
    }
}

int Run(int argc, char** argv) {
    if (argc < 2) throw UsageError{"missing command (try --help)"};
    const std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (name == "--version") {
        std::puts(kVersion);
        return 0;
    }
    if (name == "-l" || name == "--list") {
        PrintList();
        return 0;
    }
    const Command* command = FindCommand(name);
    if (!command) throw UsageError{"unknown command '" + name + "' (try --help)"};
    Arguments args(argc, argv, 2);
    if (args.AsksForHelp()) {
        std::fputs(command->help, stdout);
        return 0;
    }
    args.Parse(command->options);
    return command->run(args);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    RemoveTemporaryOnSignals();
    try {
        return Run(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "vemkoconv: %s\n", e.message.c_str());
        return 2;
    } catch (const IoError& e) {
        std::fprintf(stderr, "vemkoconv: %s: %s\n", e.file.c_str(), std::strerror(e.error));
        return 1;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "vemkoconv: not enough memory\n");
        return 1;
    }
}
