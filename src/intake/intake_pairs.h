#pragma once

#include "board/entry_batch.h"
#include "core/types.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace pelldrake {

// The pairs of one intake: a JPEG and the camera raw files of its base name beside it among the
// candidates. The pair is settled by what comes in: a JPEG that the filter or the file checks refuse
// pairs with nothing, and its raw files come in as pictures of their own (where the filter takes
// them); a JPEG that comes in (or is on the board already with a pair) takes its raw files along,
// whatever the filter says of them, as long as they are regular files and no entry of a list.
class IntakePairs {
public:
    // With on false there are no pairs: every candidate is a picture of its own.
    IntakePairs(const FilePathList& candidates, bool on);

    // Whether candidate i is a raw file with a JPEG of its base name among the candidates.
    bool MayFollow(std::size_t i) const { return i < stemOf_.size() && stemOf_[i] >= 0 && !jpeg_[i]; }
    // Whether candidate i is a JPEG with a raw file of its base name among the candidates.
    bool MayLead(std::size_t i) const { return i < stemOf_.size() && stemOf_[i] >= 0 && jpeg_[i]; }

    // The JPEG candidate i became entry entry.
    void JpegTaken(std::size_t i, std::size_t entry);
    // The JPEG candidate i is on the board already, paired or not.
    void JpegHeld(std::size_t i, bool paired);
    // The raw candidate i is a regular file and no entry; entry when it came in as one for now.
    void RawFound(std::size_t i, std::optional<std::size_t> entry);

    // Takes the raw files that follow a JPEG out of the entries and marks their JPEGs paired.
    void Settle(FilePathList& paths, std::vector<FileIdentity>& identities) const;

private:
    // What is known of a base name: a JPEG of it leads a pair, a raw file of it may follow one.
    enum Flag : std::uint8_t { kLeads = 1, kRawFound = 2 };
    std::vector<std::int32_t> stemOf_; // by candidate; -1 for one that pairs with nothing
    std::vector<bool> jpeg_;
    std::vector<std::uint8_t> stems_;                               // Flags by stem
    std::vector<std::pair<std::size_t, std::int32_t>> jpegEntries_; // entry, stem
    std::vector<std::pair<std::size_t, std::int32_t>> rawEntries_;  // entry, stem
};

} // namespace pelldrake
