// repair: undoes the mis-readings that turned Russian text into mojibake, into one output or each file
// in place.
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "cli/file_io.h"
#include "cli/file_lines.h"
#include "cli/file_loop.h"
#include "encoding/encoding_names.h"
#include "encoding/mojibake_repair.h"
#include "encoding/unicode_conversion.h"

const char kRepairHelp[] =
    "Usage: vemkoconv repair [-t TO] [-o OUT] [IN...]\n"
    "       vemkoconv repair [-t TO] -i [-r] [-n] [-p] FILE...\n"
    "\n"
    "Finds the mis-readings that turned Russian text into mojibake (the bytes of one of 1251, 866,\n"
    "koi8r, iso, mac, utf-8 and 1252 read as another and saved as a third, up to twice over: UTF-8 read\n"
    "as 1251 is \"РџСЂРёРІРµС‚\") and writes each input with them undone, joined in order. Standard error\n"
    "names what was undone, a line an input: the name, a colon and the chain (for example\n"
    "\"utf-8 read as 1251, saved as utf-8\"), or clean for a text with nothing to undo.\n"
    "\n"
    "  -t, --to-code=NAME     the encoding to write a repaired text in (default: the one it is in now,\n"
    "                         so a UTF-8 file stays UTF-8)\n"
    "  -o, --output=OUT       the output (standard output when not given or -)\n"
    "  -i, --in-place         repairs each FILE into itself (written beside, then renamed over it; a\n"
    "                         clean one is not written) and prints a line a file: the name, a tab, the\n"
    "                         chain, clean or unknown, a tab and the characters left as '?'; a summary\n"
    "                         on stderr ends a run over several files\n"
    "  -r, --recursive        with -i: a FILE that is a folder stands for every file below it\n"
    "  -n, --dry-run          with -i: prints every line the run would print and changes nothing\n"
    "  -p, --preserve         with -i: a rewritten file keeps its modification time\n"
    "\n"
    "A clean text is written unchanged, and so is one that cannot be told (exit status 4). Characters\n"
    "lost on the way (turned into '?' by an encoding that lacked them) stay '?' and the rest is\n"
    "repaired (exit status 3). Only the first 16 KB of a text are looked at to find the chain.\n";

namespace {

// The size of a regular file, so that it is read without growing its copy; 0 when not known.
std::size_t ExpectedSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::size_t>(size);
}

struct Repaired {
    RepairFinding finding;
    std::string text;  // for Repair
    std::uint64_t lost = 0;
};

Repaired RepairText(const std::string& text, std::optional<TextEncoding> to) {
    Repaired r;
    r.finding = FindMisreadings(text, true);
    if (r.finding.kind != RepairFinding::Kind::Repair) return r;
    const std::optional<RepairEncoding> target = to ? RepairEncodingOf(*to) : r.finding.chain.now;
    if (target) {
        r.text = UndoMisreadings(text, r.finding.chain, *target, &r.lost);
    } else {
        // UTF-16 by way of UTF-8, which holds every character.
        r.text = ConvertText(UndoMisreadings(text, r.finding.chain, RepairEncoding::Utf8, &r.lost), TextEncoding::Utf8,
                             *to, &r.lost);
    }
    return r;
}

const char* Verdict(const Repaired& r, std::string& chain) {
    switch (r.finding.kind) {
        case RepairFinding::Kind::Clean: return "clean";
        case RepairFinding::Kind::Unknown: return "unknown";
        default: chain = DescribeChain(r.finding.chain); return chain.c_str();
    }
}

void Report(const std::string& name, const Repaired& r) {
    std::fflush(stdout);
    std::string chain;
    if (r.finding.kind == RepairFinding::Kind::Unknown)
        std::fprintf(stderr, "%s: cannot tell what was done to it, left alone\n", name.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", name.c_str(), Verdict(r, chain));
    if (r.lost)
        std::fprintf(stderr, "%s: %" PRIu64 " character%s left as '?'\n", name.c_str(), r.lost, r.lost == 1 ? "" : "s");
}

Tally InPlaceTally(RepairFinding::Kind kind) {
    return kind == RepairFinding::Kind::Repair ? Tally::Done
           : kind == RepairFinding::Kind::Clean ? Tally::Unchanged
                                                : Tally::Unknown;
}

int RepairInPlace(const Arguments& args, std::optional<TextEncoding> to) {
    return EachFileInPlace(args, "repair", [&](const std::string& file, Input& in) {
        const Repaired r = RepairText(in.ReadAll(ExpectedSize(file)), to);
        if (r.finding.kind == RepairFinding::Kind::Repair)
            ReplaceFile(file, in, [&](Output& out) { out.Write(r.text); });
        std::string chain;
        PrintFileLine("%s\t%s\t%" PRIu64 "\n", file.c_str(), Verdict(r, chain), r.lost);
        return FileOutcome{r.finding.kind == RepairFinding::Kind::Unknown, r.lost > 0, InPlaceTally(r.finding.kind)};
    });
}

}  // namespace

int Repair(const Arguments& args) {
    std::optional<TextEncoding> to;
    if (args.Option("-t")) to = RequiredEncoding(args, "-t");
    if (args.Option("-i")) return RepairInPlace(args, to);

    return EachInputIntoOutput(args, [&](Input& in, Output& out) {
        // The chain is found on the start; the text then streams through block by block, as convert's.
        Repaired r;
        r.finding = FindMisreadings(in.Peek(kRepairSample + 1), true);
        const std::optional<RepairEncoding> target = to ? RepairEncodingOf(*to) : r.finding.chain.now;
        if (r.finding.kind == RepairFinding::Kind::Repair && !target) {
            r = RepairText(in.ReadAll(ExpectedSize(in.Name())), to);
            out.Write(r.text);
        } else {
            std::optional<MisreadingUndoing> undoing;
            if (r.finding.kind == RepairFinding::Kind::Repair) undoing.emplace(r.finding.chain, *target);
            Block block;
            std::string pending, undone;
            for (bool atEnd = false; !atEnd;) {
                const std::size_t n = in.Read(block.data(), block.size());
                atEnd = n < block.size();
                if (!undoing) {
                    out.Write(block.data(), n);
                    continue;
                }
                pending.append(block.data(), n);
                pending.erase(0, undoing->Append(pending, atEnd, undone));
                out.Write(undone);
                undone.clear();
            }
            if (undoing) r.lost = undoing->Lost();
        }
        Report(in.Name(), r);
        return FileOutcome{r.finding.kind == RepairFinding::Kind::Unknown, r.lost > 0};
    });
}
