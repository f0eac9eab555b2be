#include "cli/file_loop.h"

#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/file_lines.h"
#include "cli/ordered_run.h"
#include "cli/tree_walk.h"

namespace {

// -n and -p, read by ReplaceFile; set once before a run's threads start.
struct InPlaceRun {
    bool dryRun = false;
    bool preserve = false;
} g_inPlace;

int ExitStatus(const FileOutcome& all) { return all.unknown ? kUnknownStatus : all.replaced ? kReplacedStatus : 0; }

void Add(FileOutcome& all, const FileOutcome& one) {
    all.unknown |= one.unknown;
    all.replaced |= one.replaced;
}

FileOutcome OneFileInPlace(const ListedFile& listed, const std::function<FileOutcome(const std::string& file, Input& in)>& each) {
    const std::string& file = listed.name;
    if (!listed.note.empty()) {
        PrintError(file, listed.note);
        return {false, false, listed.failed ? Tally::Failed : Tally::Skipped};
    }
    try {
        namespace fs = std::filesystem;
        std::error_code ec;
        const fs::file_status status = fs::status(FinalTarget(file), ec);
        if (ec) throw IoError{file, ec.value()};
        if (fs::is_directory(status)) {
            PrintError(file, "a folder, left alone (-r works on the files below it)");
            return {false, false, Tally::Failed};
        }
        if (!fs::is_regular_file(status)) {
            PrintError(file, "not a regular file, left alone");
            return {false, false, Tally::Failed};
        }
        Input in(file);
        return each(file, in);
    } catch (const IoError& e) {
        PrintError(e.file, std::strerror(e.error));
        return {false, false, Tally::Failed};
    }
}

}  // namespace

int EachFileInPlace(const Arguments& args, const char* verb,
                    const std::function<FileOutcome(const std::string& file, Input& in)>& each) {
    if (args.Option("-o")) throw UsageError{"-i and -o do not go together"};
    if (args.Plain().empty()) throw UsageError{"-i needs at least one FILE"};
    for (const std::string& file : args.Plain())
        if (file == "-") throw UsageError{std::string("-i cannot ") + verb + " standard input in place"};
    g_inPlace = {args.Option("-n").has_value(), args.Option("-p").has_value()};
    const std::vector<ListedFile> files = ListFiles(args.Plain(), args.Option("-r").has_value());

    std::vector<FileLines> lines(files.size());
    std::vector<FileOutcome> outcomes(files.size());
    RunSummary summary;
    Progress progress(files.size());
    std::size_t printed = 0;
    RunInOrder(
        files.size(), ThreadsFor(files.size()),
        [&](std::size_t i) {
            CollectingLines collecting(lines[i]);
            outcomes[i] = OneFileInPlace(files[i], each);
        },
        [&](std::size_t i) {
            progress.Clear();
            lines[i].Print();
            summary.Count(outcomes[i].tally, outcomes[i].replaced);
            progress.Show(printed = i + 1);
        },
        [&] { progress.Show(printed); });
    progress.Clear();
    FlushStandardOutput();

    bool failed = false;
    FileOutcome all;
    for (const FileOutcome& outcome : outcomes) {
        failed |= outcome.tally == Tally::Failed;
        Add(all, outcome);
    }
    if (files.size() > 1) PrintErrorText(summary.Text(verb, g_inPlace.dryRun));
    return failed ? 1 : ExitStatus(all);
}

void ReplaceFile(const std::string& file, Input& in, const std::function<void(Output& out)>& write) {
    if (g_inPlace.dryRun) {
        // Every byte is still made, so that the run's lines (characters replaced) are the real ones.
        Output nowhere(Output::Discard{}, file);
        write(nowhere);
        return;
    }
    Output out(file, Output::Special::Refuse);
    if (g_inPlace.preserve) out.KeepModificationTime();
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
