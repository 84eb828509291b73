#pragma once

#include "board/entry_batch.h"
#include "core/progress.h"
#include "core/types.h"
#include "platform/code_page.h"
#include "tools/classify_conditions.h"
#include "tools/decision_reader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelldrake {

class Board;
class DecisionCache;

// The tests of one run, derived once from the conditions.
class ClassifyRules {
public:
    ClassifyRules(const ClassifyConditions& conditions, const CodePage& codePage);

    // modified: seconds since the epoch, as the file system gives them.
    bool Matches(std::string_view fileName, std::int64_t size, std::int64_t modified) const;
    // The rating and label conditions; true when both are off.
    bool MatchesDecision(const Decision& decision) const;

    // Split at every ";": each piece before one is a pattern even when empty (and then matches
    // nothing), the piece after the last one only when it is not empty. Upper-cased.
    static std::vector<std::string> NamePatterns(const CodePage& codePage, std::string_view text);
    // A number of kilobytes as typed (leading blanks and sign, then digits; else 0), in bytes.
    static std::int64_t SizeBound(std::string_view text);
    // 00:00:00 of the day and 23:59:59 of the day, local time, in seconds since the epoch.
    static std::int64_t StartOfDay(const QDateTime& moment);
    static std::int64_t EndOfDay(const QDateTime& moment);

private:
    const CodePage& codePage_;
    // A bound that is off is simply the widest one.
    std::int64_t lowerBound_ = INT64_MIN;
    std::int64_t upperBound_ = INT64_MAX;
    std::int64_t from_ = INT64_MIN;
    std::int64_t until_ = INT64_MAX;
    bool nameFilterOn_ = false;
    std::vector<std::string> patterns_;
    // Ratings from lowest_ to highest_ pass; the label only when labelOn_.
    int lowestRating_ = Decision::kRejected;
    int highestRating_ = 5;
    bool labelOn_ = false;
    ColourLabel label_ = ColourLabel::None;
};

// The lists a run leaves behind, worked out from the lists alone: it only reads them and stats
// their files, so it may run on another thread while the lists are held still.
struct ClassifyOutcome {
    // A scanned list that loses entries gets these; the others stay as they are.
    std::array<std::optional<EntryBatch>, kListCount> kept;
    EntryBatch taken;
    bool stopped = false;
};
// One list as a run reads it: its paths and their files, each in one piece.
struct ScannedList {
    const FilePathList* paths = nullptr;
    const std::vector<FileIdentity>* identities = nullptr;
};
using ScannedLists = std::array<ScannedList, kListCount>;
// With a rating or label condition on, each file's decision is read (or taken from decisions,
// which keeps it for the next run) once its other conditions hold.
ClassifyOutcome FindMatches(const ScannedLists& lists, const ClassifyConditions& conditions, const CodePage& codePage,
                            ProgressSink* progress = nullptr, DecisionCache* decisions = nullptr);

// Makes the journal's records of the lists an outcome rebuilds, on the thread that found it, while
// the lists are held still.
void PrepareJournal(const Board& board, const ClassifyConditions& conditions, ClassifyOutcome& outcome);

// Puts an outcome on the board in one step. Returns how many entries were taken.
int ApplyMatches(Board& board, const ClassifyConditions& conditions, ClassifyOutcome&& outcome);

// The lists a run reads: every entry of the board, each list in one piece.
ScannedLists ListsToScan(const Board& board);

// Takes every entry whose file exists and meets the conditions out of the scanned lists (all,
// or the one chosen) and appends them, in the order found, to the target list, or to no list
// for kExclude. Every scanned list and the target end on their first entry. Files on disk are
// not touched. Returns how many entries were taken.
int RunAutoClassify(Board& board, const ClassifyConditions& conditions, const CodePage& codePage = NativeCodePage());

} // namespace pelldrake
