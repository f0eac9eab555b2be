// repair: undoes the mis-readings that turned Russian text into mojibake, into one output or each file
// in place.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/file_io.h"
#include "cli/file_lines.h"
#include "cli/file_loop.h"
#include "cli/ordered_run.h"
#include "encoding/encoding_names.h"
#include "encoding/mojibake_repair.h"
#include "encoding/unicode_conversion.h"

const char kRepairHelp[] =
    "Usage: vemkoconv repair [-t TO] [--explain] [-o OUT] [IN...]\n"
    "       vemkoconv repair [-t TO] [--explain] -i [-r] [-n] [-p] FILE...\n"
    "\n"
    "Finds the mis-readings that turned text into mojibake and writes each input with them undone,\n"
    "joined in order: the bytes of text in any language read as another encoding (1251, 866, koi8r,\n"
    "koi8u, iso, mac, 1250, 1252 and Latin-1, 1253-1258, 437, 850, 852, macroman, iso8859-2,\n"
    "iso8859-7, 874) and saved as UTF-8 or a code page, up to three times over (UTF-8 read as 1251 is\n"
    "\"РџСЂРёРІРµС‚\", \"it’s\" read so is \"itвЂ™s\"), UTF-16 read as a code page, and such mojibake\n"
    "written as HTML character references. A text damaged in one paragraph or line and right in the\n"
    "others is repaired piece by piece; what reads right stays byte for byte. Standard error names\n"
    "what was undone, a line an input: the name, a colon and the chain (for example \"utf-8 read as\n"
    "1251, saved as utf-8\"), clean for a text with nothing to undo, or the pieces.\n"
    "\n"
    "  -t, --to-code=NAME     the encoding to write a repaired text in (default: the one it is in now,\n"
    "                         so a UTF-8 file stays UTF-8)\n"
    "  -o, --output=OUT       the output (standard output when not given or -)\n"
    "  -i, --in-place         repairs each FILE into itself (written beside, then renamed over it; a\n"
    "                         clean one is not written) and prints a line a file: the name, a tab, the\n"
    "                         chain, clean, unknown or the number of pieces, a tab and the characters\n"
    "                         left as '?'; a summary on stderr ends a run over several files\n"
    "  -r, --recursive        with -i: a FILE that is a folder stands for every file below it\n"
    "  -n, --dry-run          with -i: prints every line the run would print and changes nothing\n"
    "  -p, --preserve         with -i: a rewritten file keeps its modification time\n"
    "      --explain          names each piece on standard error: where it starts (line and byte) and\n"
    "                         its chain, clean or unknown\n"
    "\n"
    "A clean text is written unchanged, and so is one that cannot be told (exit status 4). Characters\n"
    "lost on the way (turned into '?' or U+FFFD by an encoding that lacked them) stay so and the rest is\n"
    "repaired (exit status 3).\n";

namespace {

// The size of a regular file, so that it is read without growing its copy; 0 when not known.
std::size_t ExpectedSize(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0 : static_cast<std::size_t>(size);
}

struct Repaired {
    TextRepair repair;
    std::string text;  // when repaired
    std::uint64_t lost = 0;
    RepairFinding::Kind Kind() const { return repair.Kind(); }
};

// A text this long is searched in parts, each on a processor of its own; the parts' pieces join as
// those of one walk over it.
constexpr std::size_t kPartedText = 4 * 1024 * 1024;

// Part `i` of a text cut at `ends`, the end of each part.
std::string_view PartOf(std::string_view text, const std::vector<std::size_t>& ends, std::size_t i) {
    const std::size_t start = i == 0 ? 0 : ends[i - 1];
    return text.substr(start, ends[i] - start);
}

// A text read at once is searched as a streamed one is: in parts of kPartedText or more (one part
// when it is shorter), side by side.
TextRepair FindRepairOf(const std::string& text) {
    const unsigned threads = text.size() < kPartedText ? 0 : ThreadsFor(text.size() / kPartedText + 1);
    const RepairFinding whole = FindMisreadings(text, text.size() <= kRepairSample);
    std::vector<std::size_t> ends;
    for (std::size_t from = 0; from < text.size(); from = ends.back()) {
        const std::size_t end = threads < 2 ? 0 : RepairPartEnd(std::string_view(text).substr(from), whole, kPartedText);
        ends.push_back(end == 0 ? text.size() : from + end);
    }
    auto part = [&](std::size_t i) { return PartOf(text, ends, i); };
    StreamedTextRepair stream(whole);
    std::vector<TextRepairPart> found(ends.size());
    // The undoing is written afterwards, in whatever encoding it is asked in.
    RunInOrder(
        ends.size(), ends.size() < 2 ? 0 : threads, [&](std::size_t i) { found[i] = stream.Find(part(i), false); },
        [&](std::size_t i) { stream.Join(std::move(found[i]), part(i)); }, [] {});
    return stream.Joined();
}

Repaired RepairText(const std::string& text, std::optional<TextEncoding> to) {
    Repaired r;
    r.repair = FindRepairOf(text);
    if (r.Kind() != RepairFinding::Kind::Repair) return r;
    const std::optional<RepairEncoding> target = to ? RepairEncodingOf(*to) : r.repair.now;
    if (target) {
        r.text = UndoTextRepair(text, r.repair, *target, &r.lost);
    } else {
        // UTF-16 by way of UTF-8, which holds every character.
        r.text = ConvertText(UndoTextRepair(text, r.repair, RepairEncoding::Utf8, &r.lost), TextEncoding::Utf8, *to,
                             &r.lost);
    }
    return r;
}

std::string PieceVerdict(const RepairFinding& finding) {
    switch (finding.kind) {
        case RepairFinding::Kind::Clean: return "clean";
        case RepairFinding::Kind::Unknown: {
            std::string text = "unknown";
            for (std::size_t i = 0; i < finding.candidates.size(); ++i)
                text += (i == 0 ? " (perhaps " : " or ") + DescribeChain(finding.candidates[i]);
            return finding.candidates.empty() ? text : text + ")";
        }
        default: return DescribeChain(finding.chain);
    }
}

// The chain when one chain repaired every piece that was repaired, else the count of pieces.
std::string Verdict(const Repaired& r) {
    std::string chain;
    std::size_t repaired = 0;
    for (const RepairPiece& piece : r.repair.pieces) {
        if (piece.finding.kind != RepairFinding::Kind::Repair) continue;
        const std::string described = DescribeChain(piece.finding.chain);
        if (repaired++ > 0 && described != chain) return std::to_string(r.repair.pieces.size()) + " pieces";
        chain = described;
    }
    if (repaired > 0) return r.repair.pieces.size() > 1 ? chain + " (in part)" : chain;
    return r.Kind() == RepairFinding::Kind::Unknown ? "unknown" : "clean";
}

// Through PrintErrorText, so that the lines of files worked on side by side stay in order.
void Explain(const std::string& name, const std::string& text, const Repaired& r) {
    std::size_t line = 1, counted = 0;
    std::string lines;
    for (const RepairPiece& piece : r.repair.pieces) {
        for (; counted < piece.start; ++counted) line += text[counted] == '\n';
        lines += name + ": line " + std::to_string(line) + ", byte " + std::to_string(piece.start) + ": " +
                 PieceVerdict(piece.finding) + "\n";
    }
    PrintErrorText(lines);
}

void Report(const std::string& name, const Repaired& r) {
    std::fflush(stdout);
    if (r.Kind() == RepairFinding::Kind::Unknown)
        std::fprintf(stderr, "%s: cannot tell what was done to it, left alone\n", name.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", name.c_str(), Verdict(r).c_str());
    if (r.lost)
        std::fprintf(stderr, "%s: %" PRIu64 " character%s left as '?'\n", name.c_str(), r.lost, r.lost == 1 ? "" : "s");
}

Tally InPlaceTally(RepairFinding::Kind kind) {
    return kind == RepairFinding::Kind::Repair ? Tally::Done
           : kind == RepairFinding::Kind::Clean ? Tally::Unchanged
                                                : Tally::Unknown;
}

FileOutcome Outcome(const Repaired& r) {
    return FileOutcome{r.Kind() == RepairFinding::Kind::Unknown, r.lost > 0, InPlaceTally(r.Kind())};
}

int RepairInPlace(const Arguments& args, std::optional<TextEncoding> to, bool explain) {
    return EachFileInPlace(args, "repair", [&](const std::string& file, Input& in) {
        const std::string text = in.ReadAll(ExpectedSize(file));
        const Repaired r = RepairText(text, to);
        if (r.Kind() == RepairFinding::Kind::Repair) ReplaceFile(file, in, [&](Output& out) { out.Write(r.text); });
        if (explain) Explain(file, text, r);
        PrintFileLine("%s\t%s\t%" PRIu64 "\n", file.c_str(), Verdict(r).c_str(), r.lost);
        return Outcome(r);
    });
}

// The text streams through block by block, as convert's: each stretch up to a line end is undone by
// the chain found on the start, and only a stretch it does not fit is repaired piece by piece.
Repaired StreamRepair(Input& in, Output& out, const RepairFinding& whole, RepairEncoding target) {
    Repaired r;
    r.repair.now = whole.chain.now;
    MisreadingUndoing undoing(whole.chain, target);
    Block block;
    std::string pending, undone;
    std::size_t offset = 0;
    bool first = true;
    for (bool atEnd = false; !atEnd;) {
        const std::size_t n = in.Read(block.data(), block.size());
        atEnd = n < block.size();
        pending.append(block.data(), n);
        if (first && (pending.size() >= 3 || atEnd)) {
            first = false;
            // A UTF-8 byte order mark stays when the target is UTF-8.
            if (whole.chain.now == RepairEncoding::Utf8 && pending.compare(0, 3, "\xEF\xBB\xBF") == 0) {
                if (target == RepairEncoding::Utf8) out.Write(pending.data(), 3);
                pending.erase(0, 3);
                offset = 3;
            }
        }
        if (first) continue;
        const std::size_t eol = atEnd ? pending.size() : pending.rfind('\n');
        if (eol == std::string::npos) continue;
        const std::size_t cut = atEnd ? eol : eol + 1;
        const std::string_view stretch(pending.data(), cut);
        const std::uint64_t malformed = undoing.Malformed(), lost = undoing.Lost();
        undoing.UndoBlock(stretch, undone);
        if (undoing.Malformed() == malformed) {
            r.repair.pieces.push_back({offset, cut, whole});
        } else {
            r.lost -= undoing.Lost() - lost;
            undone.clear();
            TextRepair pieces = FindTextRepairBy(stretch, whole, std::nullopt);
            undone = UndoTextRepair(stretch, pieces, target, &r.lost);
            for (RepairPiece& piece : pieces.pieces) r.repair.pieces.push_back({offset + piece.start, piece.length, piece.finding});
        }
        out.Write(undone);
        undone.clear();
        offset += cut;
        pending.erase(0, cut);
    }
    r.lost += undoing.Lost();
    return r;
}

// A part of a streamed text is at least this long, so that a part's search costs little more to
// start than it does to run.
constexpr std::size_t kStreamedPart = 1024 * 1024;

// A text that no chain undoes a stretch at a time streams through in parts of whole blocks, each
// searched as FindRepairOf searches the parts of a text read at once, so that the pieces and the
// bytes written are the same; the text is written in the encoding it is in. The parts at hand are
// searched and undone side by side, one a processor.
Repaired StreamPieces(Input& in, Output& out, const RepairFinding& whole) {
    Repaired r;
    StreamedTextRepair stream(whole);
    const unsigned threads = ThreadsFor(2);
    const std::size_t batch = std::max(1u, threads);
    Block block;
    std::string pending;
    std::vector<std::size_t> ends;  // of the parts at hand, in `pending`
    for (bool atEnd = false; !atEnd;) {
        const std::size_t n = in.Read(block.data(), block.size());
        atEnd = n < block.size();
        pending.append(block.data(), n);
        for (std::size_t from = ends.empty() ? 0 : ends.back(); ends.size() < batch || atEnd;) {
            const std::string_view rest = std::string_view(pending).substr(from);
            const std::size_t end = atEnd ? rest.size() : RepairPartEnd(rest, whole, kStreamedPart);
            if (end == 0) break;
            ends.push_back(from += end);
        }
        if (ends.empty() || (ends.size() < batch && !atEnd)) continue;
        auto part = [&](std::size_t i) { return PartOf(pending, ends, i); };
        std::vector<TextRepairPart> found(ends.size());
        std::vector<std::string> undone(ends.size());
        std::vector<std::uint64_t> lost(ends.size());
        RunInOrder(
            ends.size(), ends.size() < 2 ? 0 : threads,
            [&](std::size_t i) {
                found[i] = stream.Find(part(i));
                if (found[i].undone)
                    undone[i] = std::move(found[i].written), lost[i] = found[i].lost;
                else if (found[i].repair.Kind() == RepairFinding::Kind::Repair)
                    undone[i] = UndoTextRepair(part(i), found[i].repair, whole.chain.now, &lost[i]);
            },
            [&](std::size_t i) {
                if (found[i].undone || found[i].repair.Kind() == RepairFinding::Kind::Repair)
                    out.Write(undone[i]);
                else
                    out.Write(part(i));
                r.lost += lost[i];
                stream.Join(std::move(found[i]), part(i));
            },
            [] {});
        pending.erase(0, ends.back());
        ends.clear();
    }
    r.repair = stream.Joined();
    return r;
}

}  // namespace

int Repair(const Arguments& args) {
    std::optional<TextEncoding> to;
    if (args.Option("-t")) to = RequiredEncoding(args, "-t");
    const bool explain = args.Option("--explain").has_value();
    if (args.Option("-i")) return RepairInPlace(args, to, explain);

    return EachInputIntoOutput(args, [&](Input& in, Output& out) {
        const RepairFinding whole = FindMisreadings(in.Peek(kRepairSample + 1), true);
        const std::optional<RepairEncoding> target = to ? RepairEncodingOf(*to) : whole.chain.now;
        if (!explain && target && whole.kind == RepairFinding::Kind::Repair && UndoesWholeStretches(whole.chain)) {
            const Repaired r = StreamRepair(in, out, whole, *target);
            Report(in.Name(), r);
            return Outcome(r);
        }
        if (!explain && (!to || target == whole.chain.now)) {
            const Repaired r = StreamPieces(in, out, whole);
            Report(in.Name(), r);
            return Outcome(r);
        }
        const std::string text = in.ReadAll(ExpectedSize(in.Name()));
        const Repaired r = RepairText(text, to);
        if (r.Kind() == RepairFinding::Kind::Repair)
            out.Write(r.text);
        else
            out.Write(text);
        if (explain) Explain(in.Name(), text, r);
        Report(in.Name(), r);
        return Outcome(r);
    });
}
