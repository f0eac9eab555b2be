#include "app/command_line.h"

namespace {

bool IsQuoteOrBlank(char c) { return c == '"' || c == ' '; }

}  // namespace

CommandLineRequest ParseCommandLine(std::string_view commandLine) {
    CommandLineRequest request;
    std::size_t at = 0;
    const std::size_t end = commandLine.size();

    if (at < end && commandLine[at] == '"') {
        ++at;
        while (at < end && commandLine[at] != '"') ++at;
    } else {
        while (at < end && commandLine[at] != ' ') ++at;
    }
    while (at < end && IsQuoteOrBlank(commandLine[at])) ++at;

    if (end - at >= 2 && commandLine[at] == '/' && (commandLine[at + 1] == 'p' || commandLine[at + 1] == 'P')) {
        request.print = true;
        while (at < end && commandLine[at] != ' ') ++at;
        while (at < end && IsQuoteOrBlank(commandLine[at])) ++at;
    }

    std::size_t last = at;
    while (last < end && commandLine[last] != '"') ++last;
    request.fileArgument.assign(commandLine.substr(at, last - at));
    return request;
}
