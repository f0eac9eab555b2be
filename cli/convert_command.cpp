// convert: between code pages, UTF-8 and UTF-16, into one output or each file in place.
#include <cinttypes>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/block_pipeline.h"
#include "cli/commands.h"
#include "cli/file_io.h"
#include "cli/file_lines.h"
#include "cli/file_loop.h"
#include "cli/input_detection.h"
#include "encoding/encoding_names.h"
#include "encoding/unicode_conversion.h"

const char kConvertHelp[] =
    "Usage: vemkoconv convert -f FROM -t TO [--exact] [--eol=E] [-o OUT] [IN...]\n"
    "       vemkoconv convert -f FROM|auto [-t TO] [--eol=E] -i [-r] [-n] [-p] FILE...\n"
    "\n"
    "  -f, --from-code=NAME   the encoding of the input; auto detects it for each file and converts\n"
    "                         only what it names with the confidence below (binary data, UTF-32 and\n"
    "                         text it cannot tell are left alone, exit status 4)\n"
    "      --min-confidence=X the confidence (0-1) -f auto needs; 0.90 when not given\n"
    "  -t, --to-code=NAME     the encoding to write; utf-8 when not given with -f auto\n"
    "  -o, --output=OUT       the output (standard output when not given or -); a regular OUT is\n"
    "                         replaced only when all is written, a device or FIFO is written into\n"
    "  -i, --in-place         converts each FILE into itself (written beside, then renamed over it;\n"
    "                         its mode is kept; special files are refused) and prints a line a file:\n"
    "                         name, encoding it was, encoding it became, characters replaced; files\n"
    "                         are worked on side by side, and a summary on stderr ends a run over\n"
    "                         several\n"
    "  -r, --recursive        with -i: a FILE that is a folder stands for every file below it (links\n"
    "                         to folders are not followed; FIFOs, devices and sockets are skipped)\n"
    "  -n, --dry-run          with -i: prints every line the run would print and changes nothing\n"
    "  -p, --preserve         with -i: a rewritten file keeps its modification time\n"
    "      --exact            between two code pages: by the charts through Unicode, not as the\n"
    "                         editor does through 866\n"
    "      --eol=crlf|lf|cr   every line break (CR LF, a lone CR or LF) written as this; keep, the\n"
    "                         default, writes them as they are\n"
    "\n"
    "Between two code pages the conversion is the editor's (through 866, every byte kept). To and from\n"
    "UTF-8 and UTF-16 (and with --exact) it follows the published charts; a character the target lacks,\n"
    "a byte the source leaves unassigned and each byte of malformed input become '?', stderr says how\n"
    "many, and the exit status is 3. A byte order mark at the start is dropped; UTF-16 output gets one.\n";

namespace {

// Converts one input into `out`; returns the characters replaced.
std::uint64_t ConvertInput(Input& in, std::optional<TextEncoding> from, TextEncoding to, bool exact, Output& out,
                           UnicodeConversion*& shared, double minConfidence) {
    if (!from) {
        Detected detected = DetectInput(in, minConfidence);
        if (!detected.usable) throw LeftAlone(in.Name(), detected, minConfidence);
        // ASCII reads the same in every code page and in UTF-8.
        from = detected.encoding.value_or(IsSingleByte(to) ? to : TextEncoding::Utf8);
        if (*from == to && to != TextEncoding::Utf8) {
            RunMapped(ComposeConversion(kNoTable, kNoTable), in, out);
            return 0;
        }
        shared = nullptr;  // each file gets a conversion of its own
    }
    if (IsSingleByte(*from) && IsSingleByte(to) && !exact) {
        RunMapped(ConversionBetween(static_cast<ConversionCodePage>(*from), static_cast<ConversionCodePage>(to)), in,
                  out);
        return 0;
    }
    if (shared) {
        const std::uint64_t before = shared->Replaced();
        RunUnicode(*shared, in, out);
        return shared->Replaced() - before;
    }
    UnicodeConversion conversion(*from, to);
    RunUnicode(conversion, in, out);
    return conversion.Replaced();
}

void ReportReplaced(std::uint64_t replaced) {
    if (replaced == 0) return;
    std::fflush(stdout);
    std::fprintf(stderr, "vemkoconv: %" PRIu64 " character%s replaced by '?'\n", replaced, replaced == 1 ? "" : "s");
}

int ConvertInPlace(const Arguments& args, std::optional<TextEncoding> from, TextEncoding to, bool exact,
                   double minConfidence, std::optional<LineEndKind> lineEnd) {
    return EachFileInPlace(args, "convert", [&](const std::string& file, Input& in) {
        try {
            std::optional<TextEncoding> was = from;
            bool ascii = false;
            if (!was) {
                Detected detected = DetectInput(in, minConfidence);
                if (!detected.usable) throw LeftAlone(file, detected, minConfidence);
                was = detected.encoding;
                ascii = !was;
                if (ascii) was = IsSingleByte(to) ? to : TextEncoding::Utf8;
            }
            std::uint64_t replaced = 0;
            // Detected as already in the target (or ASCII, the same in all): the file is left as it is.
            const bool unchanged =
                !from && (*was == to || (ascii && to != TextEncoding::Utf16LE && to != TextEncoding::Utf16BE));
            if (!unchanged) {
                ReplaceFile(file, in, [&](Output& out) {
                    if (lineEnd) out.ConvertLineEnds(*lineEnd, LineBreakUnitsOf(to));
                    UnicodeConversion* none = nullptr;
                    replaced = ConvertInput(in, was, to, exact, out, none, minConfidence);
                });
            } else if (lineEnd) {
                // Already in the target: only the line ends are written anew.
                ReplaceFile(file, in, [&](Output& out) {
                    out.ConvertLineEnds(*lineEnd, LineBreakUnitsOf(*was));
                    RunMapped(ComposeConversion(kNoTable, kNoTable), in, out);
                });
            }
            PrintFileLine("%s\t%s\t%s\t%" PRIu64 "\n", file.c_str(), ascii ? "ascii" : EncodingName(*was),
                          unchanged ? (ascii ? "ascii" : EncodingName(*was)) : EncodingName(to), replaced);
            return FileOutcome{false, replaced > 0, unchanged && !lineEnd ? Tally::Unchanged : Tally::Done};
        } catch (const UnknownEncoding& e) {
            // The file keeps its line, so that a folder's listing shows every file.
            PrintFileLine("%s\t%s\tleft alone\t0\n", e.file.c_str(), e.name);
            PrintError(e.file, e.why);
            return FileOutcome{true, false, LeftAloneTally(e.name)};
        }
    });
}

}  // namespace

int Convert(const Arguments& args) {
    std::optional<TextEncoding> from;
    if (auto name = args.Option("-f"); !name || Lower(*name) != "auto") from = RequiredEncoding(args, "-f");
    // What an archive is brought to, nearly always.
    const TextEncoding to = !from && !args.Option("-t") ? TextEncoding::Utf8 : RequiredEncoding(args, "-t");
    const bool exact = args.Option("--exact").has_value();
    const double minConfidence = MinConfidence(args);
    const std::optional<LineEndKind> lineEnd = LineEndOption(args);
    if (args.Option("-i")) return ConvertInPlace(args, from, to, exact, minConfidence, lineEnd);

    std::optional<UnicodeConversion> conversion;
    UnicodeConversion* shared = nullptr;
    if (from && !(IsSingleByte(*from) && IsSingleByte(to) && !exact)) shared = &conversion.emplace(*from, to);
    std::uint64_t replaced = 0;
    int status;
    try {
        status = EachInputIntoOutput(args, [&](Input& in, Output& out) {
            if (lineEnd) out.ConvertLineEnds(*lineEnd, LineBreakUnitsOf(to));
            const std::uint64_t n = ConvertInput(in, from, to, exact, out, shared, minConfidence);
            replaced += n;
            return FileOutcome{false, n > 0};
        });
    } catch (const UnknownEncoding& e) {
        PrintError(e.file, e.why);
        return kUnknownStatus;
    }
    ReportReplaced(replaced);
    return status;
}
