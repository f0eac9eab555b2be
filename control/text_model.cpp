#include "control/text_model.h"

#include <algorithm>
#include <cstring>

#include "control/line_breaks.h"

namespace {

std::uint32_t UnitOfPair(unsigned char first, unsigned char second, bool bigEndian) {
    return bigEndian ? std::uint32_t{first} << 8 | second : std::uint32_t{second} << 8 | first;
}

// The line break in front of a line start, told by the units (of `unit` bytes) before it, counted
// into the census: every CR and LF is in the one break a line start follows.
template <typename UnitAt>
void CountBreakBefore(LineEndCensus& census, std::size_t start, std::size_t unit, UnitAt&& unitAt) {
    if (unitAt(start - unit) != '\n') {
        ++census.crs;
        return;
    }
    ++census.lfs;
    if (start >= 2 * unit && unitAt(start - 2 * unit) == '\r') {
        ++census.crs;
        ++census.pairs;
    }
}

}  // namespace

TextModel::TextModel() { lineStarts_.Append(0); }

std::string TextModel::Range(std::size_t first, std::size_t last) const {
    last = std::min(last, Length());
    if (first >= last) return {};
    std::string out(last - first, '\0');
    bytes_.CopyOut(first, last - first, out.data());
    return out;
}

void TextModel::CopyRange(std::size_t first, std::size_t last, char* out) const {
    last = std::min(last, Length());
    if (first < last) bytes_.CopyOut(first, last - first, out);
}

std::size_t TextModel::LineEnd(std::size_t line) const {
    if (line + 1 >= LineCount()) return Length();
    const std::size_t next = LineStart(line + 1);
    const std::size_t start = LineStart(line);
    const std::size_t unit = UnitBytes();
    if (next >= start + 2 * unit && CrLfAt(next - 2 * unit)) return next - 2 * unit;
    return next - unit;
}

std::uint32_t TextModel::UnitAt(std::size_t position) const {
    // UTF-16 units are counted from the text's start.
    if (IsUtf16(form_) && position % 2 != 0) return kNoUnit;
    switch (form_) {
    case CharacterForm::Utf16Le:
        return position + 2 <= Length() ? std::uint32_t{At(position)} | std::uint32_t{At(position + 1)} << 8 : kNoUnit;
    case CharacterForm::Utf16Be:
        return position + 2 <= Length() ? std::uint32_t{At(position)} << 8 | std::uint32_t{At(position + 1)} : kNoUnit;
    default: return position < Length() ? At(position) : kNoUnit;
    }
}

void TextModel::SetForm(CharacterForm form) {
    if (form == form_) return;
    if (UnitBytes() == ::UnitBytes(form) && !IsUtf16(form)) {
        form_ = form;
        NotifyWhole(LineCount());
        return;
    }
    // The new index is gathered aside, so a failure leaves the old one with the old form.
    PositionList starts;
    starts.Append(0);
    std::vector<std::uint32_t> found;
    auto add = [&](std::size_t start) {
        found.push_back(static_cast<std::uint32_t>(start));
        if (found.size() == 1 << 16) {
            starts.Insert(starts.Count(), found.data(), found.size());
            found.clear();
        }
    };
    LineEndCensus census;
    if (IsUtf16(form)) {
        const bool bigEndian = form == CharacterForm::Utf16Be;
        Utf16LineStarts scan(bigEndian);
        // Each line start ends one line break: the units in front of it tell which.
        auto unitAt = [&](std::size_t p) { return UnitOfPair(At(p), At(p + 1), bigEndian); };
        auto addCounted = [&](std::size_t start) {
            CountBreakBefore(census, start, 2, unitAt);
            add(start);
        };
        VisitRange(0, Length(), [&](const char* bytes, std::size_t count, std::size_t) { scan.Feed(bytes, count, addCounted); });
        scan.Finish(addCounted);
    } else {
        bool pendingCr = false;
        VisitRange(0, Length(), [&](const char* bytes, std::size_t count, std::size_t at) {
            if (pendingCr && bytes[0] != '\n') add(at);
            pendingCr = line_breaks::ForEachLineStart(bytes, count, [&](std::size_t s) { add(at + s); });
        });
        if (pendingCr) add(Length());
        VisitRange(0, Length(), [&](const char* bytes, std::size_t count, std::size_t position) {
            const std::size_t after = position + count;
            census += CountLineEnds(bytes, count, after < Length() ? static_cast<char>(At(after)) : '\0');
        });
    }
    starts.Insert(starts.Count(), found.data(), found.size());
    const std::size_t oldLineCount = LineCount();
    lineStarts_.Swap(starts);
    lineEnds_ = census;
    form_ = form;
    NotifyWhole(oldLineCount);
}

LineEndKind TextModel::DocumentLineEnd() const {
    if (LineCount() < 2) return LineEndKind::CrLf;
    // The first line's break: a pair, or the one CR or LF it is.
    const std::size_t end = LineEnd(0);
    if (LineStart(1) - end > UnitBytes()) return LineEndKind::CrLf;
    return UnitAt(end) == '\n' ? LineEndKind::Lf : LineEndKind::Cr;
}

LineEndCensus TextModel::CountLineEndsIn(std::size_t first, std::size_t last) const {
    LineEndCensus census;
    VisitRange(first, last, [&](const char* bytes, std::size_t count, std::size_t position) {
        const std::size_t after = position + count;
        census += CountLineEnds(bytes, count, after < Length() ? static_cast<char>(At(after)) : '\0');
    });
    return census;
}

LineEndCensus TextModel::CountUnitLineEndsIn(std::size_t first, std::size_t last) const {
    LineEndCensus census;
    last = std::min(last, Length() & ~std::size_t{1});
    if (first >= last) return census;
    const bool bigEndian = form_ == CharacterForm::Utf16Be;
    int half = -1;
    bool afterCr = false;
    VisitRange(first, last, [&](const char* bytes, std::size_t count, std::size_t) {
        for (std::size_t i = 0; i < count; ++i) {
            const auto byte = static_cast<unsigned char>(bytes[i]);
            if (half < 0) {
                half = byte;
                continue;
            }
            const std::uint32_t unit = UnitOfPair(static_cast<unsigned char>(half), byte, bigEndian);
            half = -1;
            if (unit == '\n') {
                ++census.lfs;
                census.pairs += afterCr;
            }
            census.crs += unit == '\r';
            afterCr = unit == '\r';
        }
    });
    // A CR that ends the range pairs with the unit after it.
    if (afterCr && UnitAt(last) == '\n') ++census.pairs;
    return census;
}

std::size_t TextModel::LineFromPosition(std::size_t position) const {
    if (position > 0xFFFFFFFFu) position = 0xFFFFFFFFu;
    return lineStarts_.LastNotAbove(static_cast<std::uint32_t>(position));
}

void TextModel::Compact() {
    constexpr std::size_t kReserve = 1 << 20;
    bytes_.ShrinkReserve(std::min<std::size_t>(kReserve, std::max<std::size_t>(Length() / 16, 4096)));
    lineStarts_.ShrinkReserve(std::max<std::size_t>(LineCount() / 16, 1024));
}

void TextModel::SetTextLimit(std::size_t limit) {
    limit_ = limit == 0 ? kDefaultLimit : std::min(limit, kLargestLimit);
}

bool TextModel::IsLineStart(std::size_t position) const {
    const std::size_t unit = UnitBytes();
    if (position < unit || position > Length()) return false;
    const std::uint32_t before = UnitAt(position - unit);
    if (before == '\n') return true;
    return before == '\r' && UnitAt(position) != '\n';
}

std::size_t TextModel::Replace(std::size_t first, std::size_t last, std::string_view bytes, bool canUndo,
                               EditKind kind) {
    std::size_t length = Length();
    last = std::min(last, length);
    first = std::min(first, last);
    std::size_t kept = length - (last - first);
    std::size_t room = std::max(limit_, length) - kept;
    if (bytes.size() > room) bytes = bytes.substr(0, room);
    if (first == last && bytes.empty()) return 0;

    // The undo step's memory is had before the text changes, and the step changed only after it
    // did: a failed edit leaves the step as it was.
    enum class Merge { None, Typing, DeletingBefore, DeletingAfter } merge = Merge::None;
    std::string removed;
    if (canUndo) {
        bool continuesTyping = kind == EditKind::Typing && undo_.valid && undo_.kind == EditKind::Typing &&
                               undo_.position + undo_.insertedLength == first;
        bool continuesDeleting = kind == EditKind::Deleting && bytes.empty() && undo_.valid &&
                                 undo_.kind == EditKind::Deleting && undo_.insertedLength == 0 &&
                                 (undo_.position == first || undo_.position == last);
        GrowthBudget::Charge(last - first);
        removed = Range(first, last);
        if (continuesTyping) merge = Merge::Typing;
        else if (continuesDeleting) merge = undo_.position == last ? Merge::DeletingBefore : Merge::DeletingAfter;
        if (merge != Merge::None) {
            GrowthBudget::Charge(removed.size());
            undo_.removed.reserve(undo_.removed.size() + removed.size());
        }
    }
    std::size_t inserted = ReplaceBytes(first, last, &bytes, 1);

    switch (merge) {
    case Merge::Typing:
        undo_.removed += removed;
        undo_.insertedLength += inserted;
        break;
    case Merge::DeletingBefore:
        undo_.removed.insert(0, removed);
        undo_.position = first;
        break;
    case Merge::DeletingAfter:
        undo_.removed += removed;
        break;
    case Merge::None:
        if (!canUndo) {
            undo_ = {};
            break;
        }
        undo_.valid = true;
        undo_.kind = kind;
        undo_.position = first;
        undo_.insertedLength = inserted;
        undo_.removed = std::move(removed);
        break;
    }
    return inserted;
}

std::size_t TextModel::ReplaceByPieces(std::size_t first, std::size_t last, const std::vector<std::string_view>& pieces) {
    std::size_t length = Length();
    last = std::min(last, length);
    first = std::min(first, last);
    std::size_t kept = length - (last - first);
    std::size_t room = std::max(limit_, length) - kept;
    std::vector<std::string_view> cut;
    cut.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        if (room == 0) break;
        if (piece.size() > room) piece = piece.substr(0, room);
        room -= piece.size();
        if (!piece.empty()) cut.push_back(piece);
    }
    if (first == last && cut.empty()) return 0;
    std::size_t inserted = ReplaceBytes(first, last, cut.data(), cut.size());
    undo_ = {};
    return inserted;
}

std::size_t TextModel::ReplaceBytes(std::size_t first, std::size_t last, const std::string_view* pieces,
                                    std::size_t count) {
    if (IsUtf16(form_)) return ReplaceUnits(first, last, pieces, count);
    // The line starts that depend on the bytes changed are those in [first, last]: a start at s
    // is decided by the bytes at s - 1 and s. Start 0 is always there.
    std::size_t lowest = std::max<std::size_t>(first, 1);
    std::size_t removeFrom = lineStarts_.LastNotAbove(static_cast<std::uint32_t>(lowest - 1)) + 1;
    std::size_t removeTo = lineStarts_.LastNotAbove(static_cast<std::uint32_t>(last)) + 1;
    if (removeTo < removeFrom) removeTo = removeFrom;
    std::size_t removed = last - first;

    // Everything the edit needs is had before anything changes, so that a failed allocation leaves
    // the text, its line index and whoever follows them exactly as they were. The interior starts
    // follow a CR or LF of the inserted bytes themselves, so they are found in the pieces.
    std::size_t inserted = 0;
    for (std::size_t i = 0; i < count; ++i) inserted += pieces[i].size();
    std::size_t scanEnd = first + inserted;
    // Growing this list as it is found is safe: nothing has changed yet.
    std::vector<std::uint32_t> interior;
    // A start after a CR that ends a piece depends on the first byte of the next piece with any.
    std::size_t startAfterCr = kNoPosition;
    for (std::size_t i = 0, base = first; i < count; base += pieces[i].size(), ++i) {
        const std::string_view piece = pieces[i];
        if (piece.empty()) continue;
        if (startAfterCr != kNoPosition && piece[0] != '\n') interior.push_back(static_cast<std::uint32_t>(startAfterCr));
        startAfterCr = kNoPosition;
        const bool endsWithCr = line_breaks::ForEachLineStart(piece.data(), piece.size(), [&](std::size_t at) {
            const std::size_t start = base + at;
            if (start > lowest && start < scanEnd) interior.push_back(static_cast<std::uint32_t>(start));
        });
        const std::size_t afterPiece = base + piece.size();
        if (endsWithCr && afterPiece > lowest && afterPiece < scanEnd) startAfterCr = afterPiece;
    }
    // Room for the two starts at the edges of the edit, known only once the bytes are in.
    GrowthBudget::Charge((interior.size() + 2) * sizeof(std::uint32_t));
    interior.reserve(interior.size() + 2);
    if (inserted > removed) bytes_.Reserve(inserted - removed);
    lineStarts_.Reserve(interior.size() + 2);

    // From here nothing can fail. The breaks counted anew are those of the changed bytes and of a
    // pair the byte in front of them may make with them.
    const std::size_t censusFrom = first > 0 ? first - 1 : 0;
    lineEnds_ -= CountLineEndsIn(censusFrom, last);
    bytes_.Erase(first, removed);
    char* room = bytes_.InsertUninitialised(first, inserted);
    for (std::size_t i = 0, at = 0; i < count; at += pieces[i].size(), ++i)
        if (!pieces[i].empty()) std::memcpy(room + at, pieces[i].data(), pieces[i].size());

    lineStarts_.Remove(removeFrom, removeTo - removeFrom);
    lineStarts_.ShiftFrom(removeFrom, static_cast<std::uint32_t>(inserted - removed));

    if (lowest <= scanEnd && IsLineStart(lowest)) interior.insert(interior.begin(), static_cast<std::uint32_t>(lowest));
    if (inserted > 0 && scanEnd > lowest && IsLineStart(scanEnd)) interior.push_back(static_cast<std::uint32_t>(scanEnd));
    lineStarts_.Insert(removeFrom, interior.data(), interior.size());
    lineEnds_ += CountLineEndsIn(censusFrom, scanEnd);

    ++version_;
    modified_ = true;
    for (TextObserver* observer : observers_) observer->OnBytesReplaced(first, removed, inserted);
    std::size_t oldCount = removeTo - removeFrom + 1;
    std::size_t newCount = interior.size() + 1;
    for (TextObserver* observer : observers_) observer->OnLinesReplaced(removeFrom - 1, oldCount, newCount);
    return inserted;
}

std::vector<std::uint32_t> TextModel::Utf16StartsAfterEdit(std::size_t from, std::size_t first, std::size_t last,
                                                       const std::string_view* pieces, std::size_t count,
                                                       std::size_t upTo) const {
    std::size_t inserted = 0;
    for (std::size_t i = 0; i < count; ++i) inserted += pieces[i].size();
    const std::size_t newLength = Length() - (last - first) + inserted;
    // The unit after upTo decides whether a CR before it ends a line there.
    const std::size_t feedTo = std::min(newLength, upTo + 2);
    std::vector<std::uint32_t> starts;
    Utf16LineStarts scan(form_ == CharacterForm::Utf16Be, from);
    auto add = [&](std::size_t start) {
        if (start <= upTo) starts.push_back(static_cast<std::uint32_t>(start));
    };
    auto feedOld = [&](std::size_t a, std::size_t b) {
        VisitRange(a, b, [&](const char* bytes, std::size_t n, std::size_t) { scan.Feed(bytes, n, add); });
    };
    feedOld(from, first);
    for (std::size_t i = 0; i < count; ++i) scan.Feed(pieces[i].data(), pieces[i].size(), add);
    if (feedTo > first + inserted) feedOld(last, feedTo - inserted + (last - first));
    if (feedTo == newLength) scan.Finish(add);
    return starts;
}

// ReplaceBytes in the UTF-16 forms: the starts that depend on a changed unit are found again from the
// unit before the change. A change of odd length moves every later unit's byte pair, so the rest of
// the text is scanned again; any other change leaves the units after it as they were.
std::size_t TextModel::ReplaceUnits(std::size_t first, std::size_t last, const std::string_view* pieces,
                                    std::size_t count) {
    const std::size_t length = Length();
    const std::size_t removed = last - first;
    std::size_t inserted = 0;
    for (std::size_t i = 0; i < count; ++i) inserted += pieces[i].size();
    const std::size_t lowest = first & ~std::size_t{1};
    const bool moved = (inserted - removed) % 2 != 0 && last < length;
    // A start at s depends on the units at s - 2 and s.
    const std::size_t oldTo = moved ? length : std::min(length, last + (last & 1));
    const std::size_t newTo = oldTo - removed + inserted;
    std::vector<std::uint32_t> interior =
        Utf16StartsAfterEdit(lowest >= 2 ? lowest - 2 : 0, first, last, pieces, count, newTo);
    const std::size_t lo = std::max<std::size_t>(lowest, 1);
    const std::size_t removeFrom = lineStarts_.LastNotAbove(static_cast<std::uint32_t>(lo - 1)) + 1;
    std::size_t removeTo = lineStarts_.LastNotAbove(static_cast<std::uint32_t>(oldTo)) + 1;
    if (removeTo < removeFrom) removeTo = removeFrom;
    GrowthBudget::Charge(interior.size() * sizeof(std::uint32_t));
    if (inserted > removed) bytes_.Reserve(inserted - removed);
    lineStarts_.Reserve(interior.size());

    // From here nothing can fail. The census counts the units that changed (all after the edit when
    // they moved) and a CR in front of them that may pair with the first.
    const std::size_t censusFrom = lowest >= 2 ? lowest - 2 : 0;
    lineEnds_ -= CountUnitLineEndsIn(censusFrom, oldTo);
    bytes_.Erase(first, removed);
    char* room = bytes_.InsertUninitialised(first, inserted);
    for (std::size_t i = 0, at = 0; i < count; at += pieces[i].size(), ++i)
        if (!pieces[i].empty()) std::memcpy(room + at, pieces[i].data(), pieces[i].size());
    lineEnds_ += CountUnitLineEndsIn(censusFrom, newTo + (newTo & 1));
    lineStarts_.Remove(removeFrom, removeTo - removeFrom);
    lineStarts_.ShiftFrom(removeFrom, static_cast<std::uint32_t>(inserted - removed));
    lineStarts_.Insert(removeFrom, interior.data(), interior.size());

    ++version_;
    modified_ = true;
    for (TextObserver* observer : observers_) observer->OnBytesReplaced(first, removed, inserted);
    for (TextObserver* observer : observers_)
        observer->OnLinesReplaced(removeFrom - 1, removeTo - removeFrom + 1, interior.size() + 1);
    return inserted;
}

bool TextModel::MapBytes(std::size_t first, std::size_t last, const std::uint8_t* byteFor) noexcept {
    // A UTF-16 line break is a CR or LF byte beside a zero byte.
    if (IsUtf16(form_) && byteFor[0] != 0) return false;
    for (int b = 0; b < 256; ++b) {
        bool lineBreak = b == '\r' || b == '\n';
        bool mapsToLineBreak = byteFor[b] == '\r' || byteFor[b] == '\n';
        if (lineBreak ? byteFor[b] != b : mapsToLineBreak) return false;
    }
    last = std::min(last, Length());
    if (first >= last) return true;
    bytes_.ChangeRange(first, last, [byteFor](char* bytes, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>(byteFor[static_cast<unsigned char>(bytes[i])]);
    });
    undo_ = {};
    ++version_;
    modified_ = true;
    for (TextObserver* observer : observers_) observer->OnBytesReplaced(first, last - first, last - first);
    // The same lines, whose widths may have changed.
    std::size_t firstLine = LineFromPosition(first);
    std::size_t count = LineFromPosition(last) - firstLine + 1;
    for (TextObserver* observer : observers_) observer->OnLinesReplaced(firstLine, count, count);
    return true;
}

void TextModel::NotifyWhole(std::size_t oldLineCount) noexcept {
    ++version_;
    for (TextObserver* observer : observers_) observer->OnBytesReplaced(0, kNoPosition, Length());
    for (TextObserver* observer : observers_) observer->OnLinesReplaced(0, oldLineCount, LineCount());
}

void TextModel::ChangedWhole(std::size_t oldLineCount) noexcept {
    undo_ = {};
    ++version_;
    modified_ = true;
    for (TextObserver* observer : observers_) observer->OnBytesReplaced(0, kNoPosition, Length());
    for (TextObserver* observer : observers_) observer->OnLinesReplaced(0, oldLineCount, LineCount());
}

void TextModel::ReplaceWith(TextBuilder& built) noexcept {
    std::size_t oldLineCount = LineCount();
    // The index was found in the builder's form, which its maker took from this model.
    form_ = built.form_;
    std::swap(bytes_, built.bytes_);
    lineStarts_.Swap(built.lineStarts_);
    std::swap(lineEnds_, built.lineEnds_);
    built.finished_ = false;
    ChangedWhole(oldLineCount);
}

void TextModel::TakeTextFrom(TextModel& other) noexcept {
    std::size_t oldLineCount = LineCount();
    std::size_t otherLineCount = other.LineCount();
    std::swap(bytes_, other.bytes_);
    lineStarts_.Swap(other.lineStarts_);
    std::swap(lineEnds_, other.lineEnds_);
    // The line index goes with the form it was found in.
    std::swap(form_, other.form_);
    ChangedWhole(oldLineCount);
    other.ChangedWhole(otherLineCount);
}

TextModel::UndoResult TextModel::Undo() {
    if (!undo_.valid) return {};
    // The step changes only once its edit is made: a failed undo can be tried again.
    GrowthBudget::Charge(undo_.insertedLength);
    std::string inserted = Range(undo_.position, undo_.position + undo_.insertedLength);
    std::string_view restored = undo_.removed;
    ReplaceBytes(undo_.position, undo_.position + undo_.insertedLength, &restored, 1);
    std::size_t restoredLength = undo_.removed.size();
    undo_.kind = EditKind::Other;
    undo_.insertedLength = restoredLength;
    undo_.removed = std::move(inserted);
    return {true, undo_.position, undo_.position + restoredLength};
}

void TextBuilder::NewStartChunk() {
    GrowthBudget::Charge(kStartsPerChunk * sizeof(std::uint32_t));
    startChunks_.reserve(startChunks_.size() + 1);
    startChunks_.push_back(std::make_unique_for_overwrite<std::uint32_t[]>(kStartsPerChunk));
    nextStart_ = startChunks_.back().get();
    chunkEnd_ = nextStart_ + kStartsPerChunk;
}

// A UTF-16 line start found on the way: the units in front of it, in the bytes gathered (or just
// written behind them), tell the kind of the line break it ends.
void TextBuilder::AddCountedStart(std::size_t start) {
    const char* bytes = bytes_.FirstRun().first;
    const bool bigEndian = form_ == CharacterForm::Utf16Be;
    CountBreakBefore(lineEnds_, start, 2, [&](std::size_t p) {
        return UnitOfPair(static_cast<unsigned char>(bytes[p]), static_cast<unsigned char>(bytes[p + 1]), bigEndian);
    });
    AddStart(start);
}

void TextBuilder::Add(std::size_t count) {
    const char* at = bytes_.FirstRun().first + bytes_.Size();
    std::size_t base = bytes_.Size();
    if (count == 0) return;
    if (IsUtf16(form_)) {
        utf16_.Feed(at, count, [&](std::size_t start) { AddCountedStart(start); });
        bytes_.Append(count);
        return;
    }
    if (pendingCr_ && at[0] != '\n') AddStart(base);
    if (pendingCr_ && at[0] == '\n') ++lineEnds_.pairs;
    lineEnds_ += CountLineEnds(at, count);
    pendingCr_ = line_breaks::ForEachLineStart(at, count, [&](std::size_t start) { AddStart(base + start); });
    bytes_.Append(count);
}

void TextBuilder::Append(std::string_view bytes) {
    if (bytes.empty()) return;
    std::memcpy(Room(bytes.size()), bytes.data(), bytes.size());
    Add(bytes.size());
}

void TextBuilder::Finish() {
    if (finished_) return;
    if (IsUtf16(form_)) utf16_.Finish([&](std::size_t start) { AddCountedStart(start); });
    if (pendingCr_) {
        AddStart(bytes_.Size());
        pendingCr_ = false;
    }
    const std::size_t inLast = startChunks_.empty() ? 0 : static_cast<std::size_t>(nextStart_ - startChunks_.back().get());
    const std::size_t count = startChunks_.empty() ? 0 : (startChunks_.size() - 1) * kStartsPerChunk + inLast;
    PositionList starts;
    starts.ReserveExactly(count + 1);
    starts.Append(0);
    // Each chunk goes as soon as it is copied, so the index is held about once, not twice.
    for (std::size_t i = 0; i < startChunks_.size(); ++i) {
        starts.Insert(starts.Count(), startChunks_[i].get(), i + 1 < startChunks_.size() ? kStartsPerChunk : inLast);
        startChunks_[i].reset();
    }
    startChunks_.clear();
    nextStart_ = chunkEnd_ = nullptr;
    lineStarts_.Swap(starts);
    finished_ = true;
}

void TextModel::AddObserver(TextObserver* observer) const { observers_.push_back(observer); }

void TextModel::RemoveObserver(TextObserver* observer) const {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}
