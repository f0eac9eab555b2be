// A text repaired piece by piece: the whole text's chain where it fits, each other paragraph or line
// judged alone.
#include <algorithm>
#include <cmath>

#include "encoding/mojibake_charts.h"
#include "encoding/mojibake_references.h"
#include "encoding/mojibake_repair.h"
#include "encoding/mojibake_shape.h"
#include "encoding/russian_judgement.h"

namespace {

using namespace mojibake;

using Kind = RepairFinding::Kind;

// Stretches the whole text's chain is tried on at once before paragraph by paragraph.
constexpr std::size_t kFitBlock = 64 * 1024;
// A paragraph that costs this much in shape for each character beyond ASCII may be mojibake; below
// it, it reads as right text and is not searched.
constexpr double kSuspectCost = 0.05;
// A paragraph this long that its own search finds clean is right text, whatever the whole text's
// single-byte chain says, unless the chain plainly mends it (below).
constexpr std::size_t kLongParagraph = 200;
// What the whole text's single-byte chain must take off a paragraph's shape to be taken where the
// paragraph's own search finds nothing: an English paragraph of a damaged Russian manual holds one
// dash or no-break space, and a Russian one damaged through Mac Cyrillic only its capitals, too
// little for the letter statistics but a symbol in mid-word all the same.
constexpr double kPlainMend = 1.0;
// Russian letters, as the judgement scores them, that pair as Russian does (a fit near 0) where the
// same letters read before undoing paired far worse: what a single-byte chain's undoing shows at once.
// The whole text's chain is known already, so a word is enough to confirm it: the one Russian word of
// a table or of an English paragraph in a damaged manual ("Ё Љт" for "байт"), which the paragraph's
// own search, seeing four letters, leaves alone.
constexpr std::size_t kRussianLetters = 4;
constexpr double kRussianFit = -1.0;
constexpr double kFitGap = 1.5;
// A paragraph that reads right as a whole may still hold a damaged line (a catalogue's messages, a
// log, one a line without blank lines between): its lines are looked at one by one when its shape
// costs at least this much.
constexpr double kLineLookCost = 3.0;
// UTF-8's byte order mark read as 1251 ("п»ї") or as 1252 ("ï»¿"), at a line's start, where a file
// that had one begins: a piece of its own, whatever the text after it is (a file from Windows read so
// and saved again, or files put one after another).
struct ReadMark {
    std::string_view bytes;
    RepairEncoding readAs;
};
constexpr ReadMark kReadMarks[] = {{"\xD0\xBF\xC2\xBB\xD1\x97", RepairEncoding::Cp1251},
                                   {"\xC3\xAF\xC2\xBB\xC2\xBF", RepairEncoding::Western}};

bool SameFinding(const RepairFinding& a, const RepairFinding& b) {
    if (a.kind != b.kind) return false;
    if (a.kind != Kind::Repair) return true;
    const MisreadingChain &x = a.chain, &y = b.chain;
    if (x.length != y.length || x.references != y.references || x.now != y.now) return false;
    return std::equal(x.steps, x.steps + x.length, y.steps);
}

bool HasWideStep(const MisreadingChain& chain) {
    return std::any_of(chain.steps, chain.steps + chain.length, [](const Misreading& m) { return !IsSingleByte(m.written); });
}

bool HasUtf16(const MisreadingChain& chain) {
    return std::any_of(chain.steps, chain.steps + chain.length, [](const Misreading& m) { return IsUtf16(m.written); });
}

bool Plain(std::string_view bytes) {
    return std::none_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<std::uint8_t>(c) >= 0x80 || c == '&'; });
}

// The end of the paragraph that starts at `at`: after the blank line (or lines) that ends it.
std::size_t ParagraphEnd(std::string_view text, std::size_t at) {
    std::size_t p = at;
    for (;;) {
        const std::size_t eol = text.find('\n', p);
        if (eol == std::string_view::npos) return text.size();
        p = eol + 1;
        // A line of nothing but blanks ends the paragraph, with every such line after it.
        std::size_t q = p;
        bool blankLine = false;
        while (q < text.size() && (text[q] == ' ' || text[q] == '\t' || text[q] == '\r')) ++q;
        if (q < text.size() && text[q] == '\n') blankLine = true;
        if (!blankLine && q < text.size()) continue;
        while (blankLine) {
            p = q + 1;
            q = p;
            while (q < text.size() && (text[q] == ' ' || text[q] == '\t' || text[q] == '\r')) ++q;
            blankLine = q < text.size() && text[q] == '\n';
        }
        return p;
    }
}

class Pieces {
public:
    Pieces(std::string_view text, std::optional<RepairEncoding> view, const RepairFinding& whole)
        : text_(text), view_(view), whole_(whole), now_(whole.chain.now) {}

    // The pieces' stretches written into `part` as they are pushed.
    void WriteInto(TextRepairPart& part) { written_ = &part; }

    // Whether the text is taken as one piece, whatever it holds.
    bool Whole() const { return (whole_.kind == Kind::Repair && HasUtf16(whole_.chain)) || IsUtf16(now_); }

    // Where the block that starts at `at` ends: the whole text's chain is tried on a block at once.
    std::size_t BlockEnd(std::size_t at) const {
        std::size_t end = std::min(text_.size(), at + kFitBlock);
        if (end < text_.size()) {
            const std::size_t eol = text_.rfind('\n', end - 1);
            end = eol != std::string_view::npos && eol >= at ? eol + 1 : ParagraphEnd(text_, at);
        }
        return end;
    }

    // The text's pieces, block by block; `leadingPlain` gets the length of the plain stretch they
    // start with, which the piece before them would take.
    std::vector<RepairPiece> Find(std::size_t* leadingPlain = nullptr) {
        if (Whole()) {
            Push(0, text_.size(), whole_);
            return std::move(pieces_);
        }
        for (std::size_t at = 0; at < text_.size();) {
            const std::size_t end = BlockEnd(at);
            if (whole_.kind == Kind::Repair && HasWideStep(whole_.chain) && Fits(text_.substr(at, end - at), whole_.chain))
                Push(at, end - at, whole_);
            else
                for (std::size_t p = at; p < end;) {
                    const std::size_t pend = std::min(end, ParagraphEnd(text_, p));
                    Paragraph(p, pend);
                    p = pend;
                }
            at = end;
        }
        if (leadingPlain) *leadingPlain = leadingPlain_;
        return std::move(pieces_);
    }

private:
    // The chain undoes the bytes without meeting any it cannot.
    bool Fits(std::string_view bytes, const MisreadingChain& chain) const {
        MisreadingUndoing undoing(chain, RepairEncoding::Utf8);
        std::string out;
        undoing.UndoBlock(bytes, out);
        return undoing.Malformed() == 0;
    }

    RepairFinding Local(std::string_view bytes, const DecodedSample* decoded = nullptr) const {
        RepairFinding found = view_ ? FindMisreadings(bytes, true, view_) : FindMisreadingsIn(bytes, now_, decoded);
        // UTF-16 is read a whole file at a time: a piece of a text not taken so is no UTF-16 of its own.
        if (found.kind == Kind::Repair && HasUtf16(found.chain)) found = {Kind::Unknown, found.chain, {found.chain}};
        return found;
    }

    // The bytes read in the text's encoding, with their shape; what was read last is kept, for the
    // search of the same bytes and for the lines of the same paragraph. UTF-8 is shaped as it is
    // decoded, and its characters are written out only when `characters` asks for them.
    const DecodedSample& Read(std::string_view bytes, bool characters = true) {
        if (read_.at != bytes.data() || read_.size != bytes.size()) {
            read_.at = bytes.data();
            read_.size = bytes.size();
            read_.written = false;
            read_.decoded.failed = read_.decoded.lost = 0;
            if (now_ == RepairEncoding::Utf8) {
                read_.decoded.shape = ShapeOfUtf8(bytes, read_.decoded.failed, read_.decoded.lost, &read_.lines);
            } else {
                Write(bytes);
                read_.decoded.shape = ShapeOf(read_.characters);
            }
        }
        if (characters && !read_.written) Write(bytes);
        return read_.decoded;
    }

    void Write(std::string_view bytes) {
        std::size_t failed = 0, lost = 0;
        read_.characters = DecodeCharacters(bytes, now_, failed, lost);
        read_.decoded.failed = failed;
        read_.decoded.lost = lost;
        read_.decoded.text = read_.characters;
        read_.written = true;
    }

    // The bytes, read so, may be mojibake; `cost` gets the misfits' cost of what they read as.
    static bool Suspect(std::string_view bytes, const DecodedSample& read, double* cost = nullptr) {
        const Shape& shape = read.shape;
        if (cost) *cost = shape.cost;
        if (read.failed > 0 || read.lost > 0 || shape.controls > 0 || HasReferences(bytes)) return true;
        if (shape.latinBeyondAscii * 2 > shape.latinInTheirWords && shape.latinBeyondAscii > 0) return true;
        return shape.cost > kSuspectCost * static_cast<double>(std::max<std::size_t>(shape.beyondAscii, 1));
    }

    void Paragraph(std::size_t at, std::size_t end, bool marks = true) {
        if (marks && now_ == RepairEncoding::Utf8 && SplitAtReadMarks(at, end)) return;
        const std::string_view bytes = text_.substr(at, end - at);
        if (Plain(bytes)) {
            Push(at, end - at, whole_.kind == Kind::Repair ? whole_ : Clean());
            return;
        }
        if (whole_.kind == Kind::Repair) {
            if (HasWideStep(whole_.chain) ? Fits(bytes, whole_.chain) : SingleByteFits(bytes, whole_.chain)) {
                Push(at, end - at, whole_);
                return;
            }
        } else if (!(view_ || now_ == RepairEncoding::Utf8)) {
            // A file in a code page is repaired in pieces only where its whole chain says so: in
            // a paragraph of a foreign text, some reading of it in some code page reads as Russian.
            Push(at, end - at, whole_.kind == Kind::Unknown ? whole_ : Clean());
            return;
        } else if (double cost = 0; !Suspect(bytes, Read(bytes, false), &cost)) {
            if (cost >= kLineLookCost && bytes.find('\n') + 1 < bytes.size()) Lines(at, end, kLineLookCost);
            else Push(at, end - at, whole_.kind == Kind::Unknown ? whole_ : Clean());
            return;
        }
        const bool read = read_.at == bytes.data() && read_.size == bytes.size();
        const RepairFinding local = read && !view_ && !MayBeMisread(bytes, read_.decoded.shape)
                                        ? Clean()
                                        : Local(bytes, read ? &Read(bytes) : nullptr);
        const bool oneLine = bytes.find('\n') == std::string_view::npos || bytes.find('\n') + 1 >= bytes.size();
        if (local.kind == Kind::Repair && (!HasWideStep(local.chain) || Fits(bytes, local.chain))) {
            if (HasWideStep(local.chain) && !oneLine) LayersOfLines(at, end, local);
            else Push(at, end - at, local);
            return;
        }
        // Line by line: a damaged line (a log's, a mail's subject) in a paragraph that is right.
        if (oneLine) {
            Push(at, end - at, local.kind == Kind::Unknown ? local : Clean());
            return;
        }
        Lines(at, end);
    }

    // The read byte order marks at a line's start repaired, and the stretches between them pushed as
    // paragraphs of their own; false where there is none.
    bool SplitAtReadMarks(std::size_t at, std::size_t end) {
        const std::string_view bytes = text_.substr(at, end - at);
        std::size_t from = 0;  // what is not pushed yet
        for (std::size_t p = bytes.find("\xC2\xBB"); p != std::string_view::npos; p = bytes.find("\xC2\xBB", p + 2)) {
            const std::size_t start = p - 2;
            if (p < 2 || start < from || (start > 0 && bytes[start - 1] != '\n')) continue;
            for (const ReadMark& mark : kReadMarks) {
                if (bytes.substr(start, mark.bytes.size()) != mark.bytes) continue;
                if (start > from) Paragraph(at + from, at + start, false);
                RepairFinding repaired = Clean();
                repaired.kind = Kind::Repair;
                repaired.chain.length = 1;
                repaired.chain.steps[0] = {RepairEncoding::Utf8, mark.readAs, RepairEncoding::Utf8};
                Push(at + start, mark.bytes.size(), repaired);
                from = start + mark.bytes.size();
                break;
            }
        }
        if (from == 0) return false;
        if (from < bytes.size()) Paragraph(at + from, end, false);
        return true;
    }

    // The paragraph's chain on each of its lines, and one more undoing by UTF-8 on a line that it
    // leaves looking damaged: the lines of a log or a catalogue may have been damaged once each, and
    // some of them twice (UTF-16 is whole files, never a line's own layer).
    void LayersOfLines(std::size_t at, std::size_t end, const RepairFinding& paragraph) {
        const MisreadingChain& outer = paragraph.chain;
        for (std::size_t p = at; p < end;) {
            const std::size_t eol = text_.find('\n', p);
            const std::size_t lend = eol == std::string_view::npos || eol >= end ? end : eol + 1;
            const std::string_view line = text_.substr(p, lend - p);
            RepairFinding found = paragraph;
            if (!Plain(line) && outer.length < kMostMisreadings && !outer.references) {
                std::size_t failed = 0, lost = 0;
                const std::string undone = UndoMisreadings(line, outer, RepairEncoding::Utf8);
                DecodedSample read{};
                const std::u32string characters = DecodeCharacters(undone, RepairEncoding::Utf8, failed, lost);
                read.text = characters;
                read.shape = ShapeOf(characters);
                if (failed == 0 && lost == 0 && read.shape.cost >= kLineLookCost) {
                    const RepairFinding inner = FindMisreadingsIn(undone, RepairEncoding::Utf8, &read);
                    const MisreadingChain& more = inner.chain;
                    if (inner.kind == Kind::Repair && HasWideStep(more) && !HasUtf16(more) && !more.references &&
                        more.length + outer.length <= kMostMisreadings && Fits(undone, more)) {
                        // What happened first comes first: the line's own earlier damage, then the paragraph's.
                        MisreadingChain both = more;
                        std::copy(outer.steps, outer.steps + outer.length, both.steps + more.length);
                        both.length = more.length + outer.length;
                        both.now = outer.now;
                        found.chain = both;
                    }
                }
            }
            Push(p, lend - p, found);
            p = lend;
        }
    }

    // Each line judged alone; in a paragraph that reads right, only a line whose misfits cost at least
    // `least` is searched.
    void Lines(std::size_t at, std::size_t end, double least = 0) {
        if (now_ == RepairEncoding::Utf8) {
            LinesOfUtf8(at, end, least);
            return;
        }
        // The paragraph is read once: a line break is a character of its own in every encoding the
        // pieces are read in, so each line's characters are a stretch of the paragraph's.
        const std::u32string_view characters = Read(text_.substr(at, end - at)).text;
        std::size_t from = 0;
        for (std::size_t p = at; p < end;) {
            const std::size_t eol = text_.find('\n', p);
            const std::size_t lend = eol == std::string_view::npos || eol >= end ? end : eol + 1;
            const std::string_view line = text_.substr(p, lend - p);
            // One pass finds the line's end and whether it shows a U+FFFD.
            std::size_t to = from;
            bool marked = false;
            while (to < characters.size() && (lend == end || characters[to] != U'\n')) marked |= characters[to++] == U'\xFFFD';
            if (to < characters.size()) ++to;  // the line break, the line's own
            DecodedSample read{characters.substr(from, to - from), 0, 0, {}};
            from = to;
            std::u32string own;
            if (!Plain(line)) {
                // What did not decode shows as U+FFFD; only then must the line's bytes be counted.
                if (marked) {
                    own = DecodeCharacters(line, now_, read.failed, read.lost);
                    read.text = own;
                }
                read.shape = ShapeOf(read.text);
            }
            Push(p, lend - p, LineFinding(line, read, least));
            p = lend;
        }
    }

    // Lines as Lines judges them, in a UTF-8 text: each line was shaped as the paragraph was read.
    void LinesOfUtf8(std::size_t at, std::size_t end, double least) {
        Read(text_.substr(at, end - at), false);
        std::size_t p = at;
        for (const LineShape& shaped : read_.lines) {
            const std::size_t lend = at + shaped.end;
            Push(p, lend - p, LineFinding(text_.substr(p, lend - p), {{}, shaped.failed, shaped.lost, shaped.shape}, least));
            p = lend;
        }
    }

    // What a line judged alone is: it is searched only where it is suspect, its misfits cost at least
    // `least` and the search may find something. `read` holds its shape (of a line that is not plain),
    // and its characters, unless they are read only now that they are searched.
    RepairFinding LineFinding(std::string_view line, DecodedSample read, double least) const {
        double cost = 0;
        if (Plain(line) || !Suspect(line, read, &cost) || cost < least || (!view_ && !MayBeMisread(line, read.shape)))
            return Clean();
        std::u32string characters;
        if (read.text.empty()) {
            std::size_t failed = 0, lost = 0;
            characters = DecodeCharacters(line, now_, failed, lost);
            read.text = characters;
        }
        const RepairFinding found = Local(line, &read);
        return found.kind == Kind::Repair && HasWideStep(found.chain) && !Fits(line, found.chain) ? Clean() : found;
    }

    // The whole text's single-byte chain is taken on a paragraph that it undoes into text that plainly
    // reads better: every byte undone, and misfits gone that cost more than a stray sign would, or
    // Russian letters that pair as Russian where they did not. Otherwise only a long paragraph that
    // its own search finds right refuses it.
    bool SingleByteFits(std::string_view bytes, const MisreadingChain& chain) {
        // One undoing for every paragraph, its buffers grown once: most paragraphs are short.
        if (!undoing_) undoing_.emplace(chain, RepairEncoding::Utf8);
        const std::uint64_t malformedBefore = undoing_->Malformed(), lostBefore = undoing_->Lost();
        std::string& undone = undone_;
        undone.clear();
        undoing_->UndoBlock(bytes, undone);
        const bool undoes = undoing_->Malformed() == malformedBefore && undoing_->Lost() == lostBefore;
        // A byte order mark at a piece's start is kept as it is when the piece is undone.
        const bool marked = bytes.substr(0, 3) == "\xEF\xBB\xBF";
        tried_ = {marked ? std::string_view::npos : static_cast<std::size_t>(bytes.data() - text_.data()), bytes.size(),
                  undoing_->Lost() - lostBefore};
        std::size_t failed = 0, lost = 0;
        const Shape then = ShapeIn(undone, RepairEncoding::Utf8, failed, lost);
        if (undoes && failed == 0 && lost == 0) {
            // UTF-8 that does not decode (or holds a sequence cut by '?') does not undo either; so
            // text in UTF-8 is only looked at until it is plainly worse than its undoing.
            const bool utf8 = now_ == RepairEncoding::Utf8;
            const Shape now = utf8 ? Shape{} : ShapeIn(bytes, now_, failed, lost);
            const double enough = then.cost + kPlainMend;
            // Costs are whole tenths, compared so in every build's arithmetic.
            auto tenths = [](double cost) { return std::llround(cost * 10); };
            if (failed == 0 && lost == 0) {
                const double cost = utf8 ? CostOfUtf8(bytes, enough) : now.cost;
                if (then.controls == 0 && tenths(enough) <= tenths(cost)) return true;
                if (bytes.size() >= kLongParagraph && PairsAsRussian(bytes, undone)) return true;
                // Too few characters beyond ASCII for either to tell by (a bullet, a one-letter word in
                // an English paragraph): the whole text's chain holds where it reads no worse.
                if (then.controls == 0 && then.beyondAscii < kRussianLetters && tenths(then.cost) <= tenths(cost)) return true;
            }
        }
        return bytes.size() < kLongParagraph || Local(bytes).kind != Kind::Clean;
    }

    // UTF-8 is shaped as it is decoded.
    static Shape ShapeIn(std::string_view bytes, RepairEncoding encoding, std::size_t& failed, std::size_t& lost) {
        if (encoding == RepairEncoding::Utf8) return ShapeOfUtf8(bytes, failed, lost);
        return ShapeOf(DecodeCharacters(bytes, encoding, failed, lost));
    }

    // The letter statistics tell at once what the paragraph's own search would find again.
    bool PairsAsRussian(std::string_view bytes, std::string_view undone) const {
        std::size_t failed = 0, lost = 0;
        const Judgement before = Judge(DecodeCharacters(bytes, now_, failed, lost));
        const Judgement after = Judge(DecodeCharacters(undone, RepairEncoding::Utf8, failed, lost));
        return ReadsAsRussian(after) && after.letters >= kRussianLetters && after.fit >= kRussianFit &&
               before.fit + kFitGap <= after.fit;
    }

    // What UndoTextRepair writes of a stretch pushed: a text's pieces in UTF-8 are written as they
    // are, but for those repaired, and the one repaired as the whole text's chain was tried on it is
    // at hand. (A plain stretch is written alike by any chain.)
    void Write(std::size_t at, std::size_t length, const RepairFinding& finding) {
        const std::string_view bytes = text_.substr(at, length);
        if (finding.kind != Kind::Repair || Plain(bytes)) {
            written_->written += bytes;
        } else if (at == tried_.at && length == tried_.length) {
            written_->written += undone_;
            written_->lost += tried_.lost;
        } else {
            written_->undone = false;
            written_->written.clear();
        }
    }

    RepairFinding Clean() const {
        RepairFinding clean;
        clean.kind = Kind::Clean;
        clean.chain.now = now_;
        return clean;
    }

    void Push(std::size_t at, std::size_t length, const RepairFinding& finding) {
        if (length == 0) return;
        if (written_ && written_->undone) Write(at, length, finding);
        if (leadingOnly_ && Plain(text_.substr(at, length))) leadingPlain_ += length;
        else leadingOnly_ = false;
        // A plain stretch joins the piece before it, which reads it alike.
        if (!pieces_.empty() && (SameFinding(pieces_.back().finding, finding) || Plain(text_.substr(at, length)))) {
            pieces_.back().length += length;
            return;
        }
        if (!pieces_.empty() && Plain(text_.substr(pieces_.back().start, pieces_.back().length))) {
            pieces_.back().length += length;
            pieces_.back().finding = finding;
            return;
        }
        pieces_.push_back({at, length, finding});
    }

    std::string_view text_;
    std::optional<RepairEncoding> view_;
    std::optional<MisreadingUndoing> undoing_;  // by the whole text's single-byte chain
    std::string undone_;  // what it made of the paragraph tried last
    struct {
        std::size_t at = std::string_view::npos, length = 0;
        std::uint64_t lost = 0;
    } tried_;
    TextRepairPart* written_ = nullptr;
    const RepairFinding& whole_;
    RepairEncoding now_;
    std::vector<RepairPiece> pieces_;
    bool leadingOnly_ = true;  // nothing but plain stretches pushed yet
    std::size_t leadingPlain_ = 0;
    struct {
        const char* at = nullptr;
        std::size_t size = 0;
        bool written = false;  // `characters` hold what was read
        std::u32string characters;
        DecodedSample decoded;
        std::vector<LineShape> lines;  // of UTF-8
    } read_;
};

// As one walk over the text would have pushed the part's pieces after those found so far: the plain
// stretch it starts with goes to the piece before it, and its first piece joins that piece when their
// findings are alike (or that piece, `lastPlain`, is plain).
void JoinParts(TextRepair& into, TextRepairPart&& part, bool lastPlain) {
    std::vector<RepairPiece>& pieces = part.repair.pieces;
    if (into.pieces.empty()) {
        into.now = part.repair.now;
        into.pieces = std::move(pieces);
        return;
    }
    if (pieces.empty()) return;
    RepairPiece& last = into.pieces.back();
    RepairPiece& first = pieces.front();
    const std::size_t rest = first.length - std::min(first.length, part.leadingPlain);
    last.length += first.length - rest;
    std::size_t next = 1;
    if (rest == 0) {
        // Nothing but plain text: it all went to the piece before.
    } else if (SameFinding(last.finding, first.finding)) {
        last.length += rest;
    } else if (lastPlain) {
        last.length += rest;
        last.finding = std::move(first.finding);
    } else {
        first.start += first.length - rest;
        first.length = rest;
        next = 0;
    }
    into.pieces.insert(into.pieces.end(), std::make_move_iterator(pieces.begin() + static_cast<std::ptrdiff_t>(next)),
                       std::make_move_iterator(pieces.end()));
}

}  // namespace

RepairFinding::Kind TextRepair::Kind() const {
    bool unknown = false;
    for (const RepairPiece& piece : pieces) {
        if (piece.finding.kind == Kind::Repair) return Kind::Repair;
        unknown = unknown || piece.finding.kind == Kind::Unknown;
    }
    return unknown ? Kind::Unknown : Kind::Clean;
}

TextRepair FindTextRepair(std::string_view text, std::optional<RepairEncoding> now) {
    return FindTextRepairBy(text, FindMisreadings(text, text.size() <= kRepairSample, now), now);
}

TextRepair FindTextRepairBy(std::string_view text, const RepairFinding& whole, std::optional<RepairEncoding> view) {
    TextRepair repair;
    repair.now = whole.chain.now;
    if (text.empty()) return repair;
    repair.pieces = Pieces(text, view, whole).Find();
    return repair;
}

TextRepairPart StreamedTextRepair::Find(std::string_view text, bool write) const {
    TextRepairPart part;
    part.repair.now = whole_.chain.now;
    if (text.empty()) return part;
    Pieces pieces(text, std::nullopt, whole_);
    part.undone = write && whole_.kind == Kind::Repair && whole_.chain.now == RepairEncoding::Utf8 && !HasWideStep(whole_.chain) &&
                  !whole_.chain.references;
    if (part.undone) pieces.WriteInto(part);
    part.repair.pieces = pieces.Find(&part.leadingPlain);
    return part;
}

std::size_t RepairPartEnd(std::string_view start, const RepairFinding& whole, std::size_t least) {
    const Pieces pieces(start, std::nullopt, whole);
    if (pieces.Whole()) return 0;
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t certain = 0;
    // A block is certain where more than a block's worth follows its start (so that it is not the
    // text's last) and a byte that is not blank follows its end: blank lines after a paragraph
    // belong to it.
    for (std::size_t at = 0; start.size() - at > kFitBlock;) {
        const std::size_t end = pieces.BlockEnd(at);
        if (std::find_if_not(start.begin() + static_cast<std::ptrdiff_t>(end), start.end(), blank) == start.end()) break;
        certain = end;
        if (end >= least) break;
        at = end;
    }
    return certain >= least ? certain : 0;
}

StreamedTextRepair::StreamedTextRepair(const RepairFinding& whole) : whole_(whole) { joined_.now = whole.chain.now; }

void StreamedTextRepair::Join(TextRepairPart&& found, std::string_view part) {
    for (RepairPiece& piece : found.repair.pieces) piece.start += offset_;
    // The last piece so far ends where this part starts: it is plain when no byte of it is not.
    const bool lastPlain = !joined_.pieces.empty() && nonPlainEnd_ <= joined_.pieces.back().start;
    JoinParts(joined_, std::move(found), lastPlain);
    const auto last = std::find_if(part.rbegin(), part.rend(), [](char c) { return !Plain(std::string_view(&c, 1)); });
    if (last != part.rend()) nonPlainEnd_ = offset_ + static_cast<std::size_t>(part.rend() - last);
    offset_ += part.size();
}

bool UndoesWholeStretches(const MisreadingChain& chain) {
    return !chain.references && HasWideStep(chain) && !HasUtf16(chain) && !IsUtf16(chain.now);
}

std::string UndoTextRepair(std::string_view text, const TextRepair& repair, RepairEncoding target, std::uint64_t* lost) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (const RepairPiece& piece : repair.pieces) {
        const std::string_view bytes = text.substr(piece.start, piece.length);
        if (piece.finding.kind == RepairFinding::Kind::Repair) {
            out += UndoMisreadings(bytes, piece.finding.chain, target, lost);
        } else if (target == repair.now) {
            out += bytes;
        } else {
            std::uint64_t count = 0;
            out += Recode(bytes, repair.now, target, count);
            if (lost) *lost += count;
        }
    }
    return out;
}
