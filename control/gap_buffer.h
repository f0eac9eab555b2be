#pragma once
// A growable array with a movable hole ("gap") at the place of the last edit. Edits near each other,
// as typing is, cost only the bytes inserted; an edit far away first moves the gap there, one memmove.
// Items must be trivially copyable: storage is malloc/realloc so that a large buffer can grow or
// shrink in place where the heap allows it, instead of being copied.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <type_traits>
#include <utility>

// Test hook: the bytes the text's storage may still grow by, and how many times it may still grow,
// before one growth fails as if the heap were exhausted for a moment. Tests lower them to make every
// editing path meet a failed allocation; they stay unlimited in the program.
struct GrowthBudget {
    static constexpr std::size_t kUnlimited = SIZE_MAX;
    static inline std::size_t remaining = kUnlimited;
    static inline std::size_t allocations = kUnlimited;
    // Throws std::bad_alloc, as a failed allocation does, when bytes are beyond the budget or no
    // growth is left; both are then unlimited again, so what the failure is reported and taken back
    // with succeeds.
    static void Charge(std::size_t bytes) {
        if (bytes == 0 || (remaining == kUnlimited && allocations == kUnlimited)) return;
        if (bytes > remaining || allocations == 0) {
            remaining = allocations = kUnlimited;
            throw std::bad_alloc();
        }
        if (remaining != kUnlimited) remaining -= bytes;
        if (allocations != kUnlimited) --allocations;
    }
};

template <typename T>
class GapBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    GapBuffer() = default;
    ~GapBuffer() { std::free(data_); }
    GapBuffer(const GapBuffer&) = delete;
    GapBuffer& operator=(const GapBuffer&) = delete;
    GapBuffer(GapBuffer&& other) noexcept { Swap(other); }
    GapBuffer& operator=(GapBuffer&& other) noexcept {
        GapBuffer moved(std::move(other));
        Swap(moved);
        return *this;
    }

    std::size_t Size() const { return capacity_ - gapLength_; }
    std::size_t Capacity() const { return capacity_; }

    T operator[](std::size_t index) const { return index < gapStart_ ? data_[index] : data_[index + gapLength_]; }
    T& At(std::size_t index) { return index < gapStart_ ? data_[index] : data_[index + gapLength_]; }

    // The items before the gap and the items after it, for scans that should not pay for operator[].
    std::pair<const T*, std::size_t> FirstRun() const { return {data_, gapStart_}; }
    std::pair<const T*, std::size_t> SecondRun() const {
        return {data_ + gapStart_ + gapLength_, capacity_ - gapStart_ - gapLength_};
    }
    std::size_t GapPosition() const { return gapStart_; }

    void Insert(std::size_t position, const T* items, std::size_t count) {
        if (count == 0) return;
        MakeRoom(position, count);
        std::memcpy(data_ + gapStart_, items, count * sizeof(T));
        gapStart_ += count;
        gapLength_ -= count;
    }

    // Makes sure count items can be inserted anywhere without growing, so that an edit can get all
    // its memory before it changes anything. The items and the gap's place stay as they are.
    void Reserve(std::size_t count) {
        if (count > gapLength_) Grow(count, count);
    }

    // Grows to exactly count items of room beyond the items held: a load that knows its size asks
    // once for what it needs instead of a quarter more.
    void ReserveExactly(std::size_t count) {
        if (count > gapLength_) Grow(count, 0);
    }

    // The room after the last item, for reading straight into the buffer: at least count items,
    // which the caller then adds with Append. The gap moves to the end.
    T* AppendRoom(std::size_t count) {
        MoveGapTo(Size());
        if (count > gapLength_) Grow(count, count);
        return data_ + gapStart_;
    }
    void Append(std::size_t count) {
        gapStart_ += count;
        gapLength_ -= count;
    }

    // Opens room for count items at position and returns it; the caller fills all of them.
    T* InsertUninitialised(std::size_t position, std::size_t count) {
        MakeRoom(position, count);
        T* room = data_ + gapStart_;
        gapStart_ += count;
        gapLength_ -= count;
        return room;
    }

    void Erase(std::size_t position, std::size_t count) {
        if (count == 0) return;
        if (position == gapStart_) {
            gapLength_ += count;
        } else if (position + count == gapStart_) {
            gapStart_ = position;
            gapLength_ += count;
        } else {
            MoveGapTo(position);
            gapLength_ += count;
        }
    }

    // Calls change(T* items, std::size_t count) for the one or two runs that hold [first, last).
    template <typename Change>
    void ChangeRange(std::size_t first, std::size_t last, Change&& change) {
        if (first >= last) return;
        if (first < gapStart_) {
            std::size_t end = last < gapStart_ ? last : gapStart_;
            change(data_ + first, end - first);
            first = end;
        }
        if (first < last) change(data_ + first + gapLength_, last - first);
    }

    void CopyOut(std::size_t first, std::size_t count, T* out) const {
        if (first < gapStart_) {
            std::size_t before = first + count <= gapStart_ ? count : gapStart_ - first;
            std::memcpy(out, data_ + first, before * sizeof(T));
            out += before;
            first += before;
            count -= before;
        }
        if (count) std::memcpy(out, data_ + first + gapLength_, count * sizeof(T));
    }

    void Clear() {
        std::free(data_);
        data_ = nullptr;
        capacity_ = gapStart_ = gapLength_ = 0;
    }

    // Gives back reserve beyond keep items, with the gap moved to the end: after a load, so the
    // reserve neither costs memory nor, on the first edit far from the end, fresh pages to fault in.
    void ShrinkReserve(std::size_t keep) {
        if (gapLength_ <= keep) return;
        MoveGapTo(Size());
        std::size_t wanted = Size() + keep;
        T* shrunk = static_cast<T*>(std::realloc(data_, (wanted ? wanted : 1) * sizeof(T)));
        if (!shrunk) return;
        data_ = shrunk;
        gapLength_ = keep;
        capacity_ = wanted;
    }

    void MoveGapTo(std::size_t position) {
        if (position < gapStart_) {
            std::memmove(data_ + position + gapLength_, data_ + position, (gapStart_ - position) * sizeof(T));
        } else if (position > gapStart_) {
            std::memmove(data_ + gapStart_, data_ + gapStart_ + gapLength_, (position - gapStart_) * sizeof(T));
        }
        gapStart_ = position;
    }

private:
    void MakeRoom(std::size_t position, std::size_t count) {
        if (count > gapLength_) Grow(count, count);
        MoveGapTo(position);
    }

    // Room for count more items plus a reserve: a quarter more than needed when the caller does
    // not know how much will follow (few reallocations while a text grows, at most a quarter held
    // in reserve afterwards), none beyond the minimum gap when it does. A failure leaves every item
    // and the gap as they were.
    void Grow(std::size_t count, std::size_t unknownMore) {
        // In a 32-bit process the byte count of a big buffer and its reserve can pass 2^32: a wrapped
        // size would give a small block that the caller then overruns.
        constexpr std::size_t kMost = static_cast<std::size_t>(-1) / sizeof(T);
        std::size_t size = Size();
        if (count > kMost - size) throw std::bad_alloc();
        std::size_t wanted = size + count;
        std::size_t extra = unknownMore ? wanted / 4 + kMinimumGap : kMinimumGap;
        if (extra > kMost - wanted) throw std::bad_alloc();
        wanted += extra;
        GrowthBudget::Charge((wanted - capacity_) * sizeof(T));
        std::size_t tail = capacity_ - gapStart_ - gapLength_;
        T* grown = static_cast<T*>(std::realloc(data_, wanted * sizeof(T)));
        if (!grown) throw std::bad_alloc();
        data_ = grown;
        std::memmove(data_ + wanted - tail, data_ + capacity_ - tail, tail * sizeof(T));
        gapLength_ += wanted - capacity_;
        capacity_ = wanted;
    }

    void Swap(GapBuffer& other) noexcept {
        std::swap(data_, other.data_);
        std::swap(capacity_, other.capacity_);
        std::swap(gapStart_, other.gapStart_);
        std::swap(gapLength_, other.gapLength_);
    }

    static constexpr std::size_t kMinimumGap = 4096 / sizeof(T) > 64 ? 4096 / sizeof(T) : 64;

    T* data_ = nullptr;
    std::size_t capacity_ = 0;
    std::size_t gapStart_ = 0;
    std::size_t gapLength_ = 0;
};
