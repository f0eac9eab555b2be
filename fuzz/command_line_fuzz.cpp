// The command lines of both programs. The editor's: one text, a file argument and a print switch.
// vemkoconv's: the arguments (split at NUL bytes) after a command name, parsed by that command's
// options and read as each command reads them; bad usage is a UsageError and nothing else. Only the
// parsing runs: no file is opened.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "cli/arguments.h"
#include "cli/commands.h"

namespace {

void ReadAsCommandsDo(const Arguments& args) {
    for (std::string_view option : {"-f", "-t", "-c"}) {
        try {
            RequiredEncoding(args, option);
        } catch (const UsageError&) {
        }
        try {
            RequiredCodePage(args, option);
        } catch (const UsageError&) {
        }
    }
    for (std::string_view option : {"--li", "--fi", "--ri"}) {
        if (auto value = args.Option(option)) {
            try {
                ParseNumber(option, *value, 0, 128);
            } catch (const UsageError&) {
            }
        }
    }
    try {
        SingleInput(args, 1);
    } catch (const UsageError&) {
    }
    Inputs(args);
    FilesOrStandardInput(args);
    args.AsksForHelp();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const CommandLineRequest request = ParseCommandLine(bytes);
    if (request.fileArgument.size() > bytes.size()) __builtin_trap();

    std::vector<std::string> words{"vemkoconv"};
    std::size_t start = 0;
    while (start <= bytes.size()) {
        const std::size_t end = std::min(bytes.find('\0', start), bytes.size());
        words.emplace_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    const Command* command = FindCommand(words[1]);
    if (!command) return 0;
    Arguments args(static_cast<int>(argv.size()), argv.data(), 2);
    try {
        args.Parse(command->options);
    } catch (const UsageError&) {
        return 0;
    }
    ReadAsCommandsDo(args);
    return 0;
}
