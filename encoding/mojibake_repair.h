#pragma once
// Undoes the mis-readings that turn text into "РџСЂРёРІРµС‚" or "itвЂ™s": the bytes of one encoding read
// as another and what was read saved in a third, up to three times over. Two kinds of evidence find a
// chain: undoing a reading that gives well-formed UTF-8 (or UTF-16) whose characters sit together as
// the characters of real text do, where the damaged text shows the misfits mojibake makes (a symbol
// inside a word, a change of alphabet or case in mid-word), holds in any language; between the
// single-byte Cyrillic readings the letter statistics of detection decide, as Russian text. A text
// whose damage is not the same throughout is repaired piece by piece, at line or paragraph
// boundaries; what reads right stays byte for byte. A clean text is never changed: in doubt, unknown.
//
// Single-byte code pages read a byte that their chart leaves unassigned as the C1 control of the same
// number, as the system and browsers do, so such bytes survive a mis-reading and come back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/misreading.h"
#include "encoding/mojibake_shape.h"
#include "encoding/unicode_conversion.h"

// The names the tool prints: 1251 866 koi8r iso mac utf-8 1252 koi8u 1250 1253 ... 874 utf-16le utf-16be.
const char* RepairEncodingName(RepairEncoding encoding);
// The repair encoding of a text encoding; nothing for UTF-16.
std::optional<RepairEncoding> RepairEncodingOf(TextEncoding encoding);
// The text encoding of a repair encoding; nothing for those beyond the five code pages and UTF-8.
std::optional<TextEncoding> TextEncodingOf(RepairEncoding encoding);

// "utf-8 read as 1251, saved as utf-8", the steps joined by "; then ". A step saved as what it was
// read as (the editor's view reading a text in the wrong code page) leaves out ", saved as". HTML
// character references come first as "html references; then ".
std::string DescribeChain(const MisreadingChain& chain);

// Looks at no more than this many bytes from the start of a text.
inline constexpr std::size_t kRepairSample = 16 * 1024;

// Finds the chain in `sample`, the start of the text (`complete`: all of it). Without `now` the
// encoding the text is in now is found too, as for a file: UTF-8 when the text is UTF-8, otherwise
// one of the five code pages; a step then always saves in another encoding than it read in, since
// saving what was read in the same code page gives back the bytes it started from. With `now` (the
// editor's view), the text is taken in that encoding, and the last reading may be that very one.
RepairFinding FindMisreadings(std::string_view sample, bool complete,
                              std::optional<RepairEncoding> now = std::nullopt);

// A sample already decoded: its characters, the bytes that did not decode and the sequences cut by
// '?' (as DecodeCharacters counts them), and the shape of its characters.
struct DecodedSample {
    std::u32string_view text;
    std::size_t failed = 0;
    std::size_t lost = 0;
    mojibake::Shape shape;
};

// The same for a text known to be in `now` as a file is (no step reads in the encoding it was saved
// in); `decoded`, where given, is the sample read in `now` already.
RepairFinding FindMisreadingsIn(std::string_view sample, RepairEncoding now, const DecodedSample* decoded = nullptr);
// Whether FindMisreadingsIn of bytes whose characters have `shape` may find anything but clean text:
// it never does for Latin text with its few accented letters and few misfits (mojibake_search.h).
bool MayBeMisread(std::string_view bytes, const mojibake::Shape& shape);

// One stretch of a text and what was done to it: the pieces of a text follow each other and cover it.
struct RepairPiece {
    std::size_t start = 0;  // in bytes of the text as it is now
    std::size_t length = 0;
    RepairFinding finding;
};

// What was done to a whole text, piece by piece. `now` as for FindMisreadings. The whole text's
// chain, found on its start, is tried first on each paragraph; a paragraph it does not fit (its
// undoing meets bytes that do not decode, or reads worse) is judged alone, and then line by line. The
// pieces with the same finding are joined.
struct TextRepair {
    RepairEncoding now = RepairEncoding::Utf8;
    std::vector<RepairPiece> pieces;
    // Repair when any piece is repaired; otherwise Unknown when any piece cannot be told, else Clean.
    RepairFinding::Kind Kind() const;
};
TextRepair FindTextRepair(std::string_view text, std::optional<RepairEncoding> now = std::nullopt);
// The same with the whole text's finding given (found on its start), for a text handed in part by
// part: `view` as `now` above.
TextRepair FindTextRepairBy(std::string_view text, const RepairFinding& whole, std::optional<RepairEncoding> view);
// A part of a text, its pieces found as StreamedTextRepair finds them.
struct TextRepairPart {
    TextRepair repair;
    std::size_t leadingPlain = 0;  // the plain stretch the part starts with, which goes to the piece before
    // Of a UTF-8 text whose whole chain is single-byte: the part as UndoTextRepair of it
    // writes it in UTF-8 (and the characters it left as '?'), where the search undid each piece it
    // repaired as it tried the chain on it; `undone` stays false where some piece was repaired otherwise.
    bool undone = false;
    std::string written;
    std::uint64_t lost = 0;
};

// A text streamed through a part at a time, its pieces found part by part as one walk over the whole
// text finds them. Each part ends where RepairPartEnd says, given what of the text is at hand from
// where the part starts, or at the text's end.
class StreamedTextRepair {
public:
    explicit StreamedTextRepair(const RepairFinding& whole);
    // The part's own pieces (their starts in the part), to undo it by. Parts may be found side by side
    // on threads of their own, and are then joined in their order.
    // With `write`, the part's undoing into UTF-8 is written as it is searched, where it can be.
    TextRepairPart Find(std::string_view part, bool write = true) const;
    void Join(TextRepairPart&& found, std::string_view part);
    const TextRepair& Joined() const { return joined_; }

private:
    RepairFinding whole_;
    TextRepair joined_;
    std::size_t offset_ = 0, nonPlainEnd_ = 0;  // past the last byte handed in that is not plain
};
// The first block end at `least` bytes or beyond in `start` (the text from a part's start on) that
// the bytes still to come cannot move; 0 when there is none yet, and always for a text taken as one
// piece (UTF-16).
std::size_t RepairPartEnd(std::string_view start, const RepairFinding& whole, std::size_t least);
// Whether a chain can be tried on a stretch cut at a line end and kept where it meets no byte it
// cannot undo (MisreadingUndoing::Malformed): a chain with a step that decodes UTF-8.
bool UndoesWholeStretches(const MisreadingChain& chain);

// Writes the text in `target`: each repaired piece with its chain undone, the others as they are (in
// `target`'s bytes, the same bytes when `target` is the encoding they are in). `lost` as below.
std::string UndoTextRepair(std::string_view text, const TextRepair& repair, RepairEncoding target,
                           std::uint64_t* lost = nullptr);

// Undoes `chain` on the whole text (in chain.now) and writes the original text in `target`.
// Characters lost on the way stay '?', as do characters `target` lacks; `lost`, when given, gets
// their count added. A UTF-8 byte order mark at the start stays when the target is UTF-8.
std::string UndoMisreadings(std::string_view text, const MisreadingChain& chain, RepairEncoding target,
                            std::uint64_t* lost = nullptr);

// Undoes a chain on a text handed in block by block, as a file is streamed through a conversion.
// Chains with UTF-16 or HTML references are undone on whole texts only.
class MisreadingUndoing {
public:
    MisreadingUndoing(const MisreadingChain& chain, RepairEncoding target) : chain_(chain), target_(target) {}

    // Undoes what can be undone of `text` (in chain.now) into `out`, in `target`; returns the bytes
    // consumed. Unless `atEnd`, the bytes after the last ASCII byte (which no step changes, so no
    // step cuts a character there) are left, to be handed in again in front of the next block.
    std::size_t Append(std::string_view text, bool atEnd, std::string& out);

    // Characters left as '?' so far, lost on the way or lacking in the target.
    std::uint64_t Lost() const { return lost_; }
    // Bytes met that the chain cannot undo (no well-formed UTF-8 where a step wrote UTF-8): the text
    // there is not what the chain made of it.
    std::uint64_t Malformed() const { return malformed_; }

    // Undoes one whole stretch (no character cut at its ends) into `out`.
    void UndoBlock(std::string_view block, std::string& out);

private:
    MisreadingChain chain_;
    RepairEncoding target_;
    bool atStart_ = true;
    std::uint64_t lost_ = 0;
    std::uint64_t malformed_ = 0;
    std::string buffers_[2];
};

// Does `chain` to `original` (a text in chain.Original()): what the benchmark and the tests damage
// texts with. Characters a saving encoding lacks become '?' and are counted in `lost`.
std::string DoMisreadings(std::string_view original, const MisreadingChain& chain, std::uint64_t* lost = nullptr);
