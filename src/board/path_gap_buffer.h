#pragma once

#include "core/types.h"

#include <cstddef>
#include <vector>

namespace pelldrake {

// Paths in order, with a run of free slots kept where the last change happened. Sorting takes
// entries out at one place again and again and Backspace puts them back there, so neither
// shifts the rest of a list of a million entries; only a jump elsewhere moves the entries
// between the two places.
class PathGapBuffer {
public:
    std::size_t size() const { return slots_.size() - gapSize_; }
    bool empty() const { return size() == 0; }
    const FilePath& operator[](std::size_t index) const { return slots_[index < gapBegin_ ? index : index + gapSize_]; }

    void push_back(FilePath path) { slots_.push_back(std::move(path)); }
    // index is at most size().
    void insert(std::size_t index, FilePath path);
    // index is below size().
    void erase(std::size_t index);
    void reserve(std::size_t count) { slots_.reserve(count); }

    // The entries in one piece, for the work on a whole list. Closing the gap moves the entries
    // after it once.
    const std::vector<FilePath>& Contiguous() const;
    // Leaves the buffer empty.
    std::vector<FilePath> TakeAll();
    void Assign(std::vector<FilePath>&& paths);

private:
    void MoveGapTo(std::size_t index) const;

    // Closing the gap is left to Contiguous, which may be called on a list that is only read.
    mutable std::vector<FilePath> slots_;
    mutable std::size_t gapBegin_ = 0;
    mutable std::size_t gapSize_ = 0;
};

} // namespace pelldrake
