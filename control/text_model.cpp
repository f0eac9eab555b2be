#include "control/text_model.h"

#include <algorithm>
#include <cstring>

#include "control/line_breaks.h"

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
    std::size_t next = LineStart(line + 1);
    std::size_t start = LineStart(line);
    if (next >= start + 2 && At(next - 1) == '\n' && At(next - 2) == '\r') return next - 2;
    return next - 1;
}

LineEndKind TextModel::DocumentLineEnd() const {
    if (LineCount() < 2) return LineEndKind::CrLf;
    // The first line's break: a pair, or the one CR or LF it is.
    const std::size_t end = LineEnd(0);
    if (LineStart(1) - end > 1) return LineEndKind::CrLf;
    return At(end) == '\n' ? LineEndKind::Lf : LineEndKind::Cr;
}

LineEndCensus TextModel::CountLineEndsIn(std::size_t first, std::size_t last) const {
    LineEndCensus census;
    VisitRange(first, last, [&](const char* bytes, std::size_t count, std::size_t position) {
        const std::size_t after = position + count;
        census += CountLineEnds(bytes, count, after < Length() ? static_cast<char>(At(after)) : '\0');
    });
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
    if (position == 0 || position > Length()) return false;
    unsigned char before = At(position - 1);
    if (before == '\n') return true;
    return before == '\r' && (position == Length() || At(position) != '\n');
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

bool TextModel::MapBytes(std::size_t first, std::size_t last, const std::uint8_t* byteFor) noexcept {
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

void TextModel::ChangedWhole(std::size_t oldLineCount) noexcept {
    undo_ = {};
    ++version_;
    modified_ = true;
    for (TextObserver* observer : observers_) observer->OnBytesReplaced(0, kNoPosition, Length());
    for (TextObserver* observer : observers_) observer->OnLinesReplaced(0, oldLineCount, LineCount());
}

void TextModel::ReplaceWith(TextBuilder& built) noexcept {
    std::size_t oldLineCount = LineCount();
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

void TextBuilder::Add(std::size_t count) {
    const char* at = bytes_.FirstRun().first + bytes_.Size();
    std::size_t base = bytes_.Size();
    if (count == 0) return;
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

void TextModel::AddObserver(TextObserver* observer) { observers_.push_back(observer); }

void TextModel::RemoveObserver(TextObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}
