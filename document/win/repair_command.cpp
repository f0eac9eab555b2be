#include "document/win/repair_command.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/ui_text.h"
#include "base/win/program.h"
#include "document/win/repair_choice_dialog.h"
#include "document/win/rewrite_run.h"
#include "document/win/view_code_page.h"
#include "encoding/code_page_tables.h"
#include "encoding/mojibake_repair.h"
#include "encoding/repair_choice.h"
#include "encoding/text_encoding.h"
#include "resources/resource.h"

namespace {

// The encodings as the program names them to the user.
std::string ShownEncodingName(RepairEncoding encoding) {
    switch (encoding) {
    case RepairEncoding::Koi8R: return "KOI8-R";
    case RepairEncoding::Iso8859_5: return "ISO 8859-5";
    case RepairEncoding::MacCyrillic: return "Mac";
    case RepairEncoding::Utf8: return "UTF-8";
    default: return RepairEncodingName(encoding);
    }
}

// "текст в UTF-8 прочитан как 1251 и сохранён в UTF-8"
std::string ChainWords(const MisreadingChain& chain) {
    std::string text = "текст в "_ui + ShownEncodingName(chain.Original());
    for (int i = 0; i < chain.length; ++i) {
        const Misreading& step = chain.steps[i];
        text += (i == 0 ? " прочитан как "_ui : "; затем прочитан как "_ui) + ShownEncodingName(step.readAs);
        if (step.savedAs != step.readAs) text += " и сохранён в "_ui + ShownEncodingName(step.savedAs);
    }
    return text;
}

// The chain is sought in the text as the view shows it, so the view's own reading can be its last
// step. The whole text is then written as it was first written when a view shows that encoding (so a
// text that only was shown in the wrong view keeps its bytes), and the view follows, as after a
// whole-text conversion (an undo takes both back); a selection, a text repaired in pieces and a text
// first written in an encoding that no view shows (ISO 8859-5, Mac Cyrillic, the other languages' code
// pages) are written in the view's encoding. `targetView` is the view that follows, if any.
RepairEncoding WrittenIn(const RewriteRun& run, const TextRepair& repair, const MisreadingChain& chain,
                         RepairEncoding view, std::optional<std::uint8_t>& targetView) {
    targetView.reset();
    if (!run.selectionWasEmpty || repair.pieces.size() != 1) return view;
    const RepairEncoding original = chain.Original();
    const std::optional<TextEncoding> encoding = TextEncodingOf(original);
    if (encoding) targetView = ViewOf(*encoding);
    return targetView ? original : view;
}

// More than one reading may undo the damage (or the text may be right as it is): the user is shown
// each by the first line of the doubtful piece as it would be written, and takes one. False when the
// user cancels.
bool ChooseAmongReadings(const RewriteRun& run, std::string_view bytes, TextRepair& repair, RepairEncoding view) {
    const std::vector<MisreadingChain> candidates = RepairCandidates(repair);
    if (candidates.empty()) return true;
    std::vector<ShownReading> readings;
    for (const MisreadingChain& chain : candidates) {
        std::optional<std::uint8_t> targetView;
        readings.push_back({ChoiceLine(bytes, repair, chain, WrittenIn(run, repair, chain, view, targetView)),
                            ChainWords(chain)});
    }
    const int taken = AskForReading(MainWindow, readings);
    if (taken < 0) return false;
    ChooseReading(repair, candidates[static_cast<std::size_t>(taken)]);
    return true;
}

void RepairMojibakeOf(const RewriteRun& run, std::string_view bytes) {
    // The UTF-16 views have no repair (the command is greyed there).
    const std::optional<RepairEncoding> viewEncoding = RepairEncodingOf(EncodingOfView(CodePageIndex));
    if (!viewEncoding) {
        RestoreUserSelection(run);
        return;
    }
    const RepairEncoding view = *viewEncoding;
    // Piece by piece: what reads right stays as it is, and the first piece repaired names the chain.
    TextRepair repair = FindTextRepair(bytes, view);
    if (!ChooseAmongReadings(run, bytes, repair, view)) {
        RestoreUserSelection(run);
        return;
    }
    RepairFinding finding;
    finding.kind = repair.Kind();
    std::size_t repaired = 0;
    for (const RepairPiece& piece : repair.pieces)
        if (piece.finding.kind == RepairFinding::Kind::Repair && repaired++ == 0) finding = piece.finding;
    if (finding.kind != RepairFinding::Kind::Repair) {
        RestoreUserSelection(run);
        run.report = finding.kind == RepairFinding::Kind::Clean
                         ? "Исправлять нечего: текст читается верно."_ui
                         : "Не удалось понять, что случилось с текстом; он оставлен как был."_ui;
        return;
    }
    std::optional<std::uint8_t> targetView;
    const RepairEncoding target = WrittenIn(run, repair, finding.chain, view, targetView);
    std::uint64_t lost = 0;
    std::string result = UndoTextRepair(bytes, repair, target, &lost);
    if (targetView) {
        if (!PutWholeTextBack(run, result)) return;
        ShowConvertedTextIn(*targetView);
        Select(run.control, run.savedSelection.cpMin, run.savedSelection.cpMin);
    } else {
        if (!PutBack(run, result)) return;
        const LONG end = run.selectionWasEmpty ? run.savedSelection.cpMin : run.savedSelection.cpMin + static_cast<LONG>(result.size());
        Select(run.control, run.savedSelection.cpMin, end);
    }
    run.report = "Исправлено: "_ui + ChainWords(finding.chain) + ".";
    if (repair.pieces.size() > 1)
        run.report += "\nИсправлено частей: "_ui + std::to_string(repaired) + " из "_ui + std::to_string(repair.pieces.size());
    if (lost > 0) run.report += "\nПотеряны в пути и остались \"?\": "_ui + std::to_string(lost);
}

}  // namespace

void RunRepairCommand() {
    RunRewrite({RewriteRange::SelectionOrWholeText, nullptr,
                [](const RewriteRun& run, std::string& bytes) { RepairMojibakeOf(run, bytes); }});
}
