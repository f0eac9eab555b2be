#pragma once
// A command's arguments after its name: options with their values, and the plain arguments, with the
// values the commands read from them.
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "encoding/line_ends.h"
#include "encoding/unicode_conversion.h"

// Bad usage: the message is printed and the exit status is 2.
struct UsageError {
    std::string message;
};

// The options a command knows.
struct OptionNames {
    std::initializer_list<std::string_view> withValue;
    std::initializer_list<std::string_view> flags;
    // Long names of short ones.
    std::initializer_list<std::pair<std::string_view, std::string_view>> aliases;
};

class Arguments {
public:
    Arguments(int argc, char** argv, int first);

    void Parse(const OptionNames& known);
    bool AsksForHelp() const;

    // The value of the last `name` given, "" for a flag.
    std::optional<std::string> Option(std::string_view name) const;
    const std::vector<std::string>& Plain() const { return plain_; }

private:
    std::vector<std::string> args_;
    std::vector<std::pair<std::string, std::string>> options_;
    std::vector<std::string> plain_;
};

std::string Lower(std::string_view text);
std::int32_t ParseNumber(std::string_view option, const std::string& text);
// A whole number from lower to upper.
std::int32_t ParseNumber(std::string_view option, const std::string& text, std::int32_t lower, std::int32_t upper);

// The one input after the first `firstPlain` plain arguments; nullopt for standard input.
std::optional<std::string> SingleInput(const Arguments& args, std::size_t firstPlain);
// The input files in order; standard input (nullopt) when there are none.
std::vector<std::optional<std::string>> Inputs(const Arguments& args);
// The plain arguments; "-" (standard input) when there are none.
std::vector<std::string> FilesOrStandardInput(const Arguments& args);

TextEncoding RequiredEncoding(const Arguments& args, std::string_view option);
ConversionCodePage RequiredCodePage(const Arguments& args, std::string_view option);

// --eol=crlf|lf|cr: the line ends to write; nullopt for keep, the default.
std::optional<LineEndKind> LineEndOption(const Arguments& args);
// What a line break of text in the encoding is made of.
LineBreakUnits LineBreakUnitsOf(TextEncoding encoding);
