#include "app/text_model.h"

#include <algorithm>
#include <cstring>

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
    std::size_t room = limit_ > kept ? limit_ - kept : 0;
    if (bytes.size() > room) bytes = bytes.substr(0, room);
    if (first == last && bytes.empty()) return 0;

    if (!canUndo) {
        undo_ = {};
    } else {
        bool continuesTyping = kind == EditKind::Typing && undo_.valid && undo_.kind == EditKind::Typing &&
                               undo_.position + undo_.insertedLength == first;
        bool continuesDeleting = kind == EditKind::Deleting && bytes.empty() && undo_.valid &&
                                 undo_.kind == EditKind::Deleting && undo_.insertedLength == 0 &&
                                 (undo_.position == first || undo_.position == last);
        std::string removed = Range(first, last);
        if (continuesTyping) {
            undo_.removed += removed;
            undo_.insertedLength += bytes.size();
        } else if (continuesDeleting) {
            if (undo_.position == last) {
                undo_.removed.insert(0, removed);
                undo_.position = first;
            } else {
                undo_.removed += removed;
            }
        } else {
            undo_.valid = true;
            undo_.kind = kind;
            undo_.position = first;
            undo_.insertedLength = bytes.size();
            undo_.removed = std::move(removed);
        }
    }
    return ReplaceBytes(first, last, &bytes, 1);
}

std::size_t TextModel::ReplaceByPieces(std::size_t first, std::size_t last, const std::vector<std::string_view>& pieces) {
    std::size_t length = Length();
    last = std::min(last, length);
    first = std::min(first, last);
    std::size_t kept = length - (last - first);
    std::size_t room = limit_ > kept ? limit_ - kept : 0;
    std::vector<std::string_view> cut;
    cut.reserve(pieces.size());
    for (std::string_view piece : pieces) {
        if (room == 0) break;
        if (piece.size() > room) piece = piece.substr(0, room);
        room -= piece.size();
        if (!piece.empty()) cut.push_back(piece);
    }
    if (first == last && cut.empty()) return 0;
    undo_ = {};
    return ReplaceBytes(first, last, cut.data(), cut.size());
}

std::size_t TextModel::ReplaceBytes(std::size_t first, std::size_t last, const std::string_view* pieces,
                                    std::size_t count) {
    // The line starts that depend on the bytes changed are those in [first, last]: a start at s
    // is decided by the bytes at s - 1 and s. Start 0 is always there.
    std::size_t lowest = std::max<std::size_t>(first, 1);
    std::size_t removeFrom = lineStarts_.LastNotAbove(static_cast<std::uint32_t>(lowest - 1)) + 1;
    std::size_t removeTo = lineStarts_.LastNotAbove(static_cast<std::uint32_t>(last)) + 1;
    if (removeTo < removeFrom) removeTo = removeFrom;

    std::size_t inserted = 0;
    for (std::size_t i = 0; i < count; ++i) inserted += pieces[i].size();
    bytes_.Erase(first, last - first);
    char* room = bytes_.InsertUninitialised(first, inserted);
    for (std::size_t i = 0, at = 0; i < count; at += pieces[i].size(), ++i)
        if (!pieces[i].empty()) std::memcpy(room + at, pieces[i].data(), pieces[i].size());

    lineStarts_.Remove(removeFrom, removeTo - removeFrom);
    lineStarts_.ShiftFrom(removeFrom, static_cast<std::uint32_t>(inserted - (last - first)));

    std::vector<std::uint32_t> starts;
    std::size_t scanEnd = first + inserted;
    if (lowest <= scanEnd && IsLineStart(lowest)) starts.push_back(static_cast<std::uint32_t>(lowest));
    // Interior starts follow a CR or LF of the inserted bytes themselves, which lie together now.
    for (std::size_t i = lowest - first; i + 1 < inserted; ++i) {
        char c = room[i];
        if (c == '\n' || (c == '\r' && room[i + 1] != '\n')) starts.push_back(static_cast<std::uint32_t>(first + i + 1));
    }
    if (inserted > 0 && scanEnd > lowest && IsLineStart(scanEnd)) starts.push_back(static_cast<std::uint32_t>(scanEnd));
    lineStarts_.Insert(removeFrom, starts.data(), starts.size());

    ++version_;
    modified_ = true;
    std::size_t oldCount = removeTo - removeFrom + 1;
    std::size_t newCount = starts.size() + 1;
    for (TextObserver* observer : observers_) observer->OnLinesReplaced(removeFrom - 1, oldCount, newCount);
    return inserted;
}

TextModel::UndoResult TextModel::Undo() {
    if (!undo_.valid) return {};
    UndoStep step = std::move(undo_);
    std::string inserted = Range(step.position, step.position + step.insertedLength);
    std::string_view restored = step.removed;
    ReplaceBytes(step.position, step.position + step.insertedLength, &restored, 1);
    undo_.valid = true;
    undo_.kind = EditKind::Other;
    undo_.position = step.position;
    undo_.insertedLength = step.removed.size();
    undo_.removed = std::move(inserted);
    return {true, step.position, step.position + step.removed.size()};
}

void TextModel::AddObserver(TextObserver* observer) { observers_.push_back(observer); }

void TextModel::RemoveObserver(TextObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}
