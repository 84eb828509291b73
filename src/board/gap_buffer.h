#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>
#include <vector>

namespace pelldrake {

// Values in order, with a run of free slots kept where the last change happened. Sorting takes
// entries out at one place again and again and Backspace puts them back there, so neither
// shifts the rest of a list of a million entries; only a jump elsewhere moves the entries
// between the two places.
template <typename T> class GapBuffer {
public:
    std::size_t size() const { return slots_.size() - gapSize_; }
    bool empty() const { return size() == 0; }
    const T& operator[](std::size_t index) const { return slots_[index < gapBegin_ ? index : index + gapSize_]; }

    void push_back(T value) { slots_.push_back(std::move(value)); }
    // index is at most size().
    void insert(std::size_t index, T value) {
        if (index >= size()) {
            push_back(std::move(value));
            return;
        }
        if (gapSize_ == 0) {
            const std::size_t gap = std::max(kLeastGap, size() / kGapShare);
            slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(index), gap, T{});
            gapBegin_ = index;
            gapSize_ = gap;
        } else {
            MoveGapTo(index);
        }
        slots_[gapBegin_] = std::move(value);
        ++gapBegin_;
        --gapSize_;
    }
    // index is below size().
    void erase(std::size_t index) {
        if (gapSize_ == 0) {
            if (index + 1 == slots_.size()) {
                slots_.pop_back();
                return;
            }
            gapBegin_ = index;
        } else {
            MoveGapTo(index);
        }
        {
            // The slot joins the gap; what it held goes now, not when the gap closes.
            [[maybe_unused]] const T gone = std::move(slots_[gapBegin_ + gapSize_]);
            slots_[gapBegin_ + gapSize_] = T{};
        }
        ++gapSize_;
        // A gap grown past the entries themselves costs more memory than closing it costs time.
        if (gapSize_ > kLeastGap * kGapShare && gapSize_ > size())
            Contiguous();
    }
    void reserve(std::size_t count) { slots_.reserve(count); }
    // Takes count values from first on out in one piece; they join the gap. first + count is at
    // most size().
    std::vector<T> TakeRange(std::size_t first, std::size_t count) {
        if (first == 0 && count == size())
            return TakeAll();
        if (first + count == size()) {
            Contiguous();
            const auto from = slots_.begin() + static_cast<std::ptrdiff_t>(first);
            std::vector<T> taken(std::make_move_iterator(from), std::make_move_iterator(slots_.end()));
            slots_.erase(from, slots_.end());
            return taken;
        }
        if (gapSize_ == 0)
            gapBegin_ = first + count;
        else
            MoveGapTo(first + count);
        const auto at = [this](std::size_t i) { return slots_.begin() + static_cast<std::ptrdiff_t>(i); };
        std::vector<T> taken(std::make_move_iterator(at(first)), std::make_move_iterator(at(first + count)));
        std::fill(at(first), at(first + count), T{});
        gapBegin_ = first;
        gapSize_ += count;
        if (gapSize_ > kLeastGap * kGapShare && gapSize_ > size())
            Contiguous();
        return taken;
    }

    // The values in one piece, for the work on a whole list. Closing the gap moves the values
    // after it once.
    const std::vector<T>& Contiguous() const {
        if (gapSize_ != 0) {
            MoveGapTo(size());
            slots_.resize(size());
            gapSize_ = 0;
            gapBegin_ = 0;
        }
        return slots_;
    }
    // Leaves the buffer empty.
    std::vector<T> TakeAll() {
        Contiguous();
        std::vector<T> taken;
        taken.swap(slots_);
        return taken;
    }
    void Assign(std::vector<T>&& values) {
        slots_ = std::move(values);
        gapBegin_ = 0;
        gapSize_ = 0;
    }

private:
    // A gap opened for inserts in the middle is this share of the list, so that opening it again,
    // which shifts the values after it, is paid for by as many inserts.
    static constexpr std::size_t kGapShare = 16;
    static constexpr std::size_t kLeastGap = 16;

    void MoveGapTo(std::size_t index) const {
        const auto at = [this](std::size_t i) { return slots_.begin() + static_cast<std::ptrdiff_t>(i); };
        if (index < gapBegin_)
            std::move_backward(at(index), at(gapBegin_), at(gapBegin_ + gapSize_));
        else if (index > gapBegin_)
            std::move(at(gapBegin_ + gapSize_), at(index + gapSize_), at(gapBegin_));
        gapBegin_ = index;
    }

    // Closing the gap is left to Contiguous, which may be called on a list that is only read.
    mutable std::vector<T> slots_;
    mutable std::size_t gapBegin_ = 0;
    mutable std::size_t gapSize_ = 0;
};

} // namespace pelldrake
