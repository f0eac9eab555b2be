#include "cli/file_loop.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "cli/commands.h"

namespace {

int ExitStatus(const FileOutcome& all) { return all.unknown ? kUnknownStatus : all.replaced ? kReplacedStatus : 0; }

void Add(FileOutcome& all, const FileOutcome& one) {
    all.unknown |= one.unknown;
    all.replaced |= one.replaced;
}

}  // namespace

int EachFileInPlace(const Arguments& args, const char* verb,
                    const std::function<FileOutcome(const std::string& file, Input& in)>& each) {
    if (args.Option("-o")) throw UsageError{"-i and -o do not go together"};
    if (args.Plain().empty()) throw UsageError{"-i needs at least one FILE"};
    bool failed = false;
    FileOutcome all;
    for (const std::string& file : args.Plain()) {
        try {
            if (file == "-") throw UsageError{std::string("-i cannot ") + verb + " standard input in place"};
            namespace fs = std::filesystem;
            std::error_code ec;
            const fs::file_status status = fs::status(FinalTarget(file), ec);
            if (ec) throw IoError{file, ec.value()};
            if (!fs::is_regular_file(status)) {
                PrintError(file, "not a regular file, left alone");
                failed = true;
                continue;
            }
            Input in(file);
            Add(all, each(file, in));
        } catch (const IoError& e) {
            PrintError(e.file, std::strerror(e.error));
            failed = true;
        }
    }
    FlushStandardOutput();
    return failed ? 1 : ExitStatus(all);
}

void ReplaceFile(const std::string& file, Input& in, const std::function<void(Output& out)>& write) {
    Output out(file, Output::Special::Refuse);
    write(out);
    in.Close();
    out.Commit();
}

int EachInputIntoOutput(const Arguments& args, const std::function<FileOutcome(Input& in, Output& out)>& each) {
    std::vector<std::unique_ptr<Input>> inputs;
    for (const auto& path : Inputs(args)) inputs.push_back(std::make_unique<Input>(path));
    Output out(args.Option("-o"));
    FileOutcome all;
    for (auto& in : inputs) Add(all, each(*in, out));
    inputs.clear();
    out.Commit();
    return ExitStatus(all);
}
