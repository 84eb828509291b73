#pragma once

// What the board and the work folders held after each command of the reference run, sent from
// the child that runs it to the parent through a pipe: only the lists that changed, and the
// folders' files only after a command that may have touched them.

#include "board/board.h"
#include "campaign_files.h"

#include <array>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace campaign {

using pelldrake::Board;
using pelldrake::BoardMarks;
using pelldrake::kListCount;
using pelldrake::ListIndex;

// A list's entries in order, as path hashes.
using HashList = std::vector<std::uint64_t>;
using Lists = std::array<HashList, kListCount>;

inline Lists ListsOf(const Board& board) {
    Lists lists;
    for (ListIndex list = 0; list < kListCount; ++list) {
        for (const pelldrake::FilePath& path : board.List(list).Entries())
            lists[static_cast<std::size_t>(list)].push_back(PathHash(path));
    }
    return lists;
}

// The lengths of the lists and the marks in one number: enough to see a killed run leave the path
// its reference took.
inline std::uint64_t Shape(const std::array<std::size_t, kListCount>& lengths, const BoardMarks& marks) {
    std::string text;
    for (std::size_t i = 0; i < lengths.size(); ++i)
        text += std::to_string(lengths[i]) + "/" + std::to_string(marks.positions[i]) + " ";
    return PathHash(text + std::to_string(marks.lastTouched));
}

inline std::uint64_t Shape(const Board& board) {
    std::array<std::size_t, kListCount> lengths{};
    for (ListIndex list = 0; list < kListCount; ++list)
        lengths[static_cast<std::size_t>(list)] = static_cast<std::size_t>(board.List(list).Count());
    return Shape(lengths, board.Marks());
}

struct BoardState {
    // Shared with the state before where unchanged.
    std::array<std::shared_ptr<const HashList>, kListCount> lists;
    BoardMarks marks;
    std::shared_ptr<const HashSet> listing;
    int command = -1; // the Command that led here; -1 for the start
    std::uint32_t micros = 0;

    std::uint64_t Shape() const {
        std::array<std::size_t, kListCount> lengths{};
        for (std::size_t i = 0; i < lengths.size(); ++i)
            lengths[i] = lists[i] ? lists[i]->size() : 0;
        return campaign::Shape(lengths, marks);
    }
};

// The child's side: one message a state.
class StateWriter {
public:
    explicit StateWriter(int fd) : fd_(fd) {}

    bool Send(const Board& board, int command, std::uint32_t micros, const HashSet* listing) {
        std::string message;
        Put(message, static_cast<std::uint32_t>(command + 1));
        Put(message, micros);
        Lists lists = ListsOf(board);
        std::uint32_t changed = 0;
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (first_ || lists[i] != sent_[i])
                changed |= 1u << i;
        }
        Put(message, changed);
        for (std::size_t i = 0; i < lists.size(); ++i) {
            if (changed & (1u << i))
                PutHashes(message, lists[i]);
        }
        const BoardMarks marks = board.Marks();
        for (const int position : marks.positions)
            Put(message, static_cast<std::uint32_t>(position));
        Put(message, static_cast<std::uint32_t>(marks.lastTouched));
        Put(message, static_cast<std::uint32_t>(listing != nullptr));
        if (listing)
            PutHashes(message, *listing);
        sent_ = std::move(lists);
        first_ = false;
        std::string framed;
        Put(framed, static_cast<std::uint32_t>(message.size()));
        framed += message;
        return WriteAll(framed);
    }

private:
    template <typename T> static void Put(std::string& out, T value) {
        out.append(reinterpret_cast<const char*>(&value), sizeof value);
    }
    static void PutHashes(std::string& out, const std::vector<std::uint64_t>& hashes) {
        Put(out, static_cast<std::uint32_t>(hashes.size()));
        out.append(reinterpret_cast<const char*>(hashes.data()), hashes.size() * sizeof(std::uint64_t));
    }
    bool WriteAll(const std::string& bytes) const {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return true;
    }

    int fd_;
    Lists sent_;
    bool first_ = true;
};

// The parent's side: every state the child sent, until it closed the pipe.
inline std::vector<BoardState> ReadStates(int fd) {
    std::string bytes;
    char buffer[1 << 16];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    std::vector<BoardState> states;
    std::size_t at = 0;
    auto get = [&]() {
        std::uint32_t value = 0;
        std::memcpy(&value, bytes.data() + at, sizeof value);
        at += sizeof value;
        return value;
    };
    auto getHashes = [&]() {
        auto hashes = std::make_shared<std::vector<std::uint64_t>>(get());
        std::memcpy(hashes->data(), bytes.data() + at, hashes->size() * sizeof(std::uint64_t));
        at += hashes->size() * sizeof(std::uint64_t);
        return hashes;
    };
    while (at + sizeof(std::uint32_t) <= bytes.size()) {
        const std::uint32_t length = get();
        const std::size_t end = at + length;
        if (end > bytes.size())
            break;
        BoardState state = states.empty() ? BoardState{} : states.back();
        state.command = static_cast<int>(get()) - 1;
        state.micros = get();
        const std::uint32_t changed = get();
        for (std::size_t i = 0; i < kListCount; ++i) {
            if (changed & (1u << i))
                state.lists[i] = getHashes();
        }
        for (int& position : state.marks.positions)
            position = static_cast<int>(get());
        state.marks.lastTouched = static_cast<ListIndex>(get());
        if (get() != 0) {
            auto listing = getHashes();
            state.listing = std::move(listing);
        }
        states.push_back(std::move(state));
        at = end;
    }
    return states;
}

} // namespace campaign
