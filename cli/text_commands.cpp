// transform and align: the editor's text transforms and paragraph alignment on a file.
#include <optional>
#include <string>
#include <string_view>

#include "cli/block_pipeline.h"
#include "cli/commands.h"
#include "cli/file_io.h"
#include "encoding/code_page_tables.h"
#include "encoding/line_ends.h"
#include "encoding/transforms.h"

const char kTransformHelp[] =
    "Usage: vemkoconv transform fido|translit|qp|bare-cr [-c CP] [--eol=E] [-o OUT] [IN]\n"
    "\n"
    "  fido      to 866 with Latin H and p\n"
    "  translit  Cyrillic letters to Latin\n"
    "  qp        decodes =XX\n"
    "  bare-cr   a LF after every CR that lacks one\n"
    "  -c CP     the view code page the text is in: 1251, 866 or koi8r (fido and translit need it)\n"
    "  --eol=E   crlf, lf or cr: every line break of the result written so (keep, the default, as it is)\n";

const char kAlignHelp[] =
    "Usage: vemkoconv align justify|centre|left|right [options] [-o OUT] [IN]\n"
    "\n"
    "  --ig      all lines make one paragraph\n"
    "  --li N    the left indent, 0 to 80\n"
    "  --fi N    the first-line indent, 0 to 80\n"
    "  --ri N    the right margin, 10 to 128 (default 80)\n"
    "  --crlf    end lines with CR LF\n"
    "  --lf      end lines with LF\n"
    "\n"
    "Without --crlf or --lf the lines end as the input's do: LF when it has LF line ends and no CR LF,\n"
    "CR LF otherwise. A blank line ends a paragraph.\n";

int Transform(const Arguments& args) {
    const auto& plain = args.Plain();
    if (plain.empty()) throw UsageError{"missing transform: fido, translit, qp or bare-cr"};
    const std::string kind = Lower(plain[0]);
    if (kind != "fido" && kind != "translit" && kind != "qp" && kind != "bare-cr")
        throw UsageError{"unknown transform '" + plain[0] + "'"};
    int view = kAnsi1251;
    if (args.Option("-c") || kind == "fido" || kind == "translit") {
        view = RequiredCodePage(args, "-c");
        if (view > kKoi8R) throw UsageError{"-c takes a view code page: 1251, 866 or koi8r"};
    }
    std::optional<std::string> inPath = SingleInput(args, 1);
    Input in(inPath);
    Output out(args.Option("-o"));
    if (const std::optional<LineEndKind> lineEnd = LineEndOption(args)) out.ConvertLineEnds(*lineEnd, LineBreakUnits::Bytes);
    if (kind == "fido") {
        RunMapped(ComposeConversion(FromTable[view], FidoTarget), in, out);
    } else if (kind == "translit") {
        RunStreamed(in, out, [view](std::string_view text, bool, std::string& result) {
            AppendTransliterated(text, view, result);
            return text.size();
        });
    } else if (kind == "qp") {
        RunStreamed(in, out, AppendQuotedPrintableDecoded);
    } else {
        RunStreamed(in, out, AppendBareCrRepaired);
    }
    in.Close();
    out.Commit();
    return 0;
}

int Align(const Arguments& args) {
    const auto& plain = args.Plain();
    if (plain.empty()) throw UsageError{"missing alignment: justify, centre, left or right"};
    const std::string kind = Lower(plain[0]);
    Alignment alignment;
    if (kind == "justify") alignment = Alignment::Justify;
    else if (kind == "centre" || kind == "center") alignment = Alignment::Centre;
    else if (kind == "left") alignment = Alignment::Left;
    else if (kind == "right") alignment = Alignment::Right;
    else throw UsageError{"unknown alignment '" + plain[0] + "'"};
    if (args.Option("--crlf") && args.Option("--lf")) throw UsageError{"--crlf and --lf do not go together"};
    ParagraphSettings settings;
    settings.ignoreLineBreaks = args.Option("--ig") ? 1 : 0;
    // The editor's options allow no more, and a margin of millions would make every line megabytes.
    if (auto v = args.Option("--li")) settings.leftIndent = ParseNumber("--li", *v, 0, kLargestIndent);
    if (auto v = args.Option("--fi")) settings.firstLineIndent = ParseNumber("--fi", *v, 0, kLargestIndent);
    if (auto v = args.Option("--ri"))
        settings.rightMargin = ParseNumber("--ri", *v, kSmallestRightMargin, kLargestRightMargin);
    std::optional<std::string> inPath = SingleInput(args, 1);
    Input in(inPath);
    Output out(args.Option("-o"));
    // Paragraphs reach over the whole range, so the text is aligned in one piece. The alignment knows
    // only CR LF line ends: a LF alone would join its lines and lose the blank line after a paragraph.
    const std::string text = in.ReadAll();
    LineEndKind lineEnd = args.Option("--crlf") ? LineEndKind::CrLf : args.Option("--lf") ? LineEndKind::Lf : LineEndOf(text);
    std::string aligned = AlignParagraphs(WithCrLf(text), alignment, settings);
    out.Write(lineEnd == LineEndKind::Lf ? WithLf(aligned) : aligned);
    in.Close();
    out.Commit();
    return 0;
}
