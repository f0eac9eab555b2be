#include "cli/arguments.h"

#include <cerrno>
#include <cstdlib>

#include "encoding/encoding_names.h"

namespace {

bool Contains(std::initializer_list<std::string_view> names, std::string_view name) {
    for (std::string_view n : names)
        if (n == name) return true;
    return false;
}

}  // namespace

Arguments::Arguments(int argc, char** argv, int first) {
    for (int i = first; i < argc; ++i) args_.emplace_back(argv[i]);
}

void Arguments::Parse(const OptionNames& known) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args_.size(); ++i) {
        const std::string& arg = args_[i];
        if (optionsEnded || arg == "-" || arg.empty() || arg[0] != '-') {
            plain_.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg, value;
        bool inlineValue = false;
        if (std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            value = arg.substr(eq + 1);
            inlineValue = true;
        }
        for (const auto& [longName, shortName] : known.aliases)
            if (name == longName) name = shortName;
        if (Contains(known.flags, name) && !inlineValue) {
            options_.emplace_back(name, "");
        } else if (Contains(known.withValue, name)) {
            if (!inlineValue) {
                if (i + 1 == args_.size()) throw UsageError{"option " + name + " needs a value"};
                value = args_[++i];
            }
            options_.emplace_back(name, value);
        } else {
            throw UsageError{"unknown option " + arg};
        }
    }
}

bool Arguments::AsksForHelp() const {
    for (const std::string& arg : args_) {
        if (arg == "--") return false;
        if (arg == "--help" || arg == "-h") return true;
    }
    return false;
}

std::optional<std::string> Arguments::Option(std::string_view name) const {
    std::optional<std::string> found;
    for (const auto& [n, v] : options_)
        if (n == name) found = v;
    return found;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::int32_t ParseNumber(std::string_view option, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    long long value = std::strtoll(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || errno == ERANGE || value < INT32_MIN || value > INT32_MAX)
        throw UsageError{std::string(option) + " needs a whole number, not '" + text + "'"};
    return static_cast<std::int32_t>(value);
}

std::int32_t ParseNumber(std::string_view option, const std::string& text, std::int32_t lower, std::int32_t upper) {
    const std::int32_t value = ParseNumber(option, text);
    if (value < lower || value > upper)
        throw UsageError{std::string(option) + " needs a number from " + std::to_string(lower) + " to " +
                         std::to_string(upper) + ", not " + text};
    return value;
}

std::optional<std::string> SingleInput(const Arguments& args, std::size_t firstPlain) {
    const auto& plain = args.Plain();
    if (plain.size() > firstPlain + 1) throw UsageError{"more than one input file: " + plain[firstPlain + 1]};
    if (plain.size() == firstPlain + 1) return plain[firstPlain];
    return std::nullopt;
}

std::vector<std::optional<std::string>> Inputs(const Arguments& args) {
    std::vector<std::optional<std::string>> inputs(args.Plain().begin(), args.Plain().end());
    if (inputs.empty()) inputs.emplace_back();
    return inputs;
}

std::vector<std::string> FilesOrStandardInput(const Arguments& args) {
    std::vector<std::string> files = args.Plain();
    if (files.empty()) files.emplace_back("-");
    return files;
}

TextEncoding RequiredEncoding(const Arguments& args, std::string_view option) {
    std::optional<std::string> name = args.Option(option);
    if (!name) throw UsageError{"missing " + std::string(option) + " ENCODING"};
    std::optional<TextEncoding> encoding = ParseEncoding(*name);
    if (!encoding) throw UsageError{"unknown encoding '" + *name + "' (vemkoconv -l lists them)"};
    return *encoding;
}

ConversionCodePage RequiredCodePage(const Arguments& args, std::string_view option) {
    TextEncoding encoding = RequiredEncoding(args, option);
    if (!IsSingleByte(encoding)) throw UsageError{std::string(option) + " takes a code page, not " + EncodingName(encoding)};
    return static_cast<ConversionCodePage>(encoding);
}

std::optional<LineEndKind> LineEndOption(const Arguments& args) {
    std::optional<std::string> value = args.Option("--eol");
    if (!value) return std::nullopt;
    const std::string name = Lower(*value);
    if (name == "keep") return std::nullopt;
    if (name == "crlf") return LineEndKind::CrLf;
    if (name == "lf") return LineEndKind::Lf;
    if (name == "cr") return LineEndKind::Cr;
    throw UsageError{"--eol takes crlf, lf, cr or keep, not '" + *value + "'"};
}

LineBreakUnits LineBreakUnitsOf(TextEncoding encoding) {
    if (encoding == TextEncoding::Utf16LE) return LineBreakUnits::Utf16LE;
    if (encoding == TextEncoding::Utf16BE) return LineBreakUnits::Utf16BE;
    return LineBreakUnits::Bytes;
}
