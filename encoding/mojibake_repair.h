#pragma once
// Undoes the mis-readings that turn Russian text into "РџСЂРёРІРµС‚": the bytes of one encoding read as
// another and what was read saved in a third, up to twice over. The chain is found on a sample by the
// letter statistics of detection (each candidate undone, the result judged as Russian text), and the
// chosen chain is then undone on the whole text as a few conversions, as fast as a conversion.
//
// Single-byte code pages read a byte that their chart leaves unassigned as the C1 control of the same
// number, as the system and browsers do, so such bytes survive a mis-reading and come back.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "encoding/unicode_conversion.h"

// The encodings a mis-reading goes through: 0-4 are the conversion code pages, then UTF-8 and the
// Western code page (1252, taking Latin-1's controls at 0x80-0x9F too).
enum class RepairEncoding : int {
    Cp1251 = kAnsi1251,
    Cp866 = kOem866,
    Koi8R = kKoi8R,
    Iso8859_5 = kIso8859_5,
    MacCyrillic = kMacCyrillic,
    Utf8,
    Western,
};
inline constexpr int kRepairEncodingCount = 7;

// The names the tool prints: 1251 866 koi8r iso mac utf-8 1252.
const char* RepairEncodingName(RepairEncoding encoding);
// The repair encoding of a text encoding; nothing for UTF-16.
std::optional<RepairEncoding> RepairEncodingOf(TextEncoding encoding);

// One mis-reading: text written in `written` was read as `readAs` and saved as `savedAs`.
struct Misreading {
    RepairEncoding written;
    RepairEncoding readAs;
    RepairEncoding savedAs;
};

struct MisreadingChain {
    int length = 0;           // 0-2; 0 is a text with nothing to undo
    Misreading steps[2] = {};  // in the order they happened
    RepairEncoding now = RepairEncoding::Utf8;  // the encoding the text is in now
    // The encoding the text was first written in (`now` for a clean text).
    RepairEncoding Original() const { return length == 0 ? now : steps[0].written; }
};

// "utf-8 read as 1251, saved as utf-8", the steps joined by "; then ". A step saved as what it was
// read as (the editor's view reading a text in the wrong code page) leaves out ", saved as".
std::string DescribeChain(const MisreadingChain& chain);

struct RepairFinding {
    enum class Kind { Clean, Repair, Unknown };
    Kind kind = Kind::Unknown;
    MisreadingChain chain;  // for Repair; for Clean, `now` is the encoding the text reads right in
};

// Looks at no more than this many bytes from the start of a text.
inline constexpr std::size_t kRepairSample = 16 * 1024;

// Finds the chain in `sample`, the start of the text (`complete`: all of it). Without `now` the
// encoding the text is in now is found too, as for a file: UTF-8 when the text is UTF-8, otherwise
// one of the five code pages; a step then always saves in another encoding than it read in, since
// saving what was read in the same code page gives back the bytes it started from. With `now` (the
// editor's view), the text is taken in that encoding, and the last reading may be that very one.
RepairFinding FindMisreadings(std::string_view sample, bool complete,
                              std::optional<RepairEncoding> now = std::nullopt);

// Undoes `chain` on the whole text (in chain.now) and writes the original text in `target`.
// Characters lost on the way stay '?', as do characters `target` lacks; `lost`, when given, gets
// their count added. A UTF-8 byte order mark at the start stays when the target is UTF-8.
std::string UndoMisreadings(std::string_view text, const MisreadingChain& chain, RepairEncoding target,
                            std::uint64_t* lost = nullptr);

// Undoes a chain on a text handed in block by block, as a file is streamed through a conversion.
class MisreadingUndoing {
public:
    MisreadingUndoing(const MisreadingChain& chain, RepairEncoding target) : chain_(chain), target_(target) {}

    // Undoes what can be undone of `text` (in chain.now) into `out`, in `target`; returns the bytes
    // consumed. Unless `atEnd`, the bytes after the last ASCII byte (which no step changes, so no
    // step cuts a character there) are left, to be handed in again in front of the next block.
    std::size_t Append(std::string_view text, bool atEnd, std::string& out);

    // Characters left as '?' so far, lost on the way or lacking in the target.
    std::uint64_t Lost() const { return lost_; }

private:
    void UndoBlock(std::string_view block, std::string& out);

    MisreadingChain chain_;
    RepairEncoding target_;
    bool atStart_ = true;
    std::uint64_t lost_ = 0;
    std::string buffers_[2];
};

// Does `chain` to `original` (a text in chain.Original()): what the benchmark and the tests damage
// texts with. Characters a saving encoding lacks become '?' and are counted in `lost`.
std::string DoMisreadings(std::string_view original, const MisreadingChain& chain, std::uint64_t* lost = nullptr);
