#include "board/path_gap_buffer.h"

#include <algorithm>

namespace pelldrake {

namespace {

// A gap opened for inserts in the middle is this share of the list, so that opening it again,
// which shifts the entries after it, is paid for by as many inserts.
constexpr std::size_t kGapShare = 16;
constexpr std::size_t kLeastGap = 16;

} // namespace

void PathGapBuffer::insert(std::size_t index, FilePath path) {
    if (index >= size()) {
        push_back(std::move(path));
        return;
    }
    if (gapSize_ == 0) {
        const std::size_t gap = std::max(kLeastGap, size() / kGapShare);
        slots_.insert(slots_.begin() + static_cast<std::ptrdiff_t>(index), gap, FilePath{});
        gapBegin_ = index;
        gapSize_ = gap;
    } else {
        MoveGapTo(index);
    }
    slots_[gapBegin_] = std::move(path);
    ++gapBegin_;
    --gapSize_;
}

void PathGapBuffer::erase(std::size_t index) {
    if (gapSize_ == 0) {
        if (index + 1 == slots_.size()) {
            slots_.pop_back();
            return;
        }
        gapBegin_ = index;
    } else {
        MoveGapTo(index);
    }
    // The slot joins the gap; its path's memory goes now, not when the gap closes.
    FilePath().swap(slots_[gapBegin_ + gapSize_]);
    ++gapSize_;
    // A gap grown past the entries themselves costs more memory than closing it costs time.
    if (gapSize_ > kLeastGap * kGapShare && gapSize_ > size())
        Contiguous();
}

const std::vector<FilePath>& PathGapBuffer::Contiguous() const {
    if (gapSize_ != 0) {
        MoveGapTo(size());
        slots_.resize(size());
        gapSize_ = 0;
        gapBegin_ = 0;
    }
    return slots_;
}

std::vector<FilePath> PathGapBuffer::TakeAll() {
    Contiguous();
    std::vector<FilePath> taken;
    taken.swap(slots_);
    return taken;
}

void PathGapBuffer::Assign(std::vector<FilePath>&& paths) {
    slots_ = std::move(paths);
    gapBegin_ = 0;
    gapSize_ = 0;
}

void PathGapBuffer::MoveGapTo(std::size_t index) const {
    const auto at = [this](std::size_t i) { return slots_.begin() + static_cast<std::ptrdiff_t>(i); };
    if (index < gapBegin_)
        std::move_backward(at(index), at(gapBegin_), at(gapBegin_ + gapSize_));
    else if (index > gapBegin_)
        std::move(at(gapBegin_ + gapSize_), at(index + gapSize_), at(gapBegin_));
    gapBegin_ = index;
}

} // namespace pelldrake
