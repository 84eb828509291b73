#include "tools/auto_classify.h"

#include "board/board.h"
#include "platform/file_info.h"
#include "platform/parallel_for.h"
#include "platform/path_text.h"
#include "platform/profile_file.h"
#include "tools/decision_cache.h"
#include "tools/match_wildcard.h"

#include <algorithm>
#include <optional>
#include <sys/stat.h>

namespace pelldrake {

namespace {

// Reports this often: each costs a lock on the worker's side.
constexpr std::size_t kReportEvery = 4096;
constexpr std::size_t kExaminedTogether = 4096;
// Reading ratings takes far longer a file than a stat, and a slow disk longer still: a stop is
// looked for this often then, the block still large enough for ParallelFor to share among cores.
constexpr std::size_t kReadTogether = 1024;

bool IsList(int index) {
    return index >= 0 && index < kListCount;
}

} // namespace

ClassifyRules::ClassifyRules(const ClassifyConditions& conditions, const CodePage& codePage)
    : codePage_(codePage), nameFilterOn_(conditions.nameFilterOn) {
    if (conditions.nameFilterOn)
        patterns_ = NamePatterns(codePage, conditions.nameFilter);
    if (conditions.lowerBoundOn)
        lowerBound_ = SizeBound(conditions.lowerBound);
    if (conditions.upperBoundOn)
        upperBound_ = SizeBound(conditions.upperBound);
    if (conditions.fromDateOn)
        from_ = StartOfDay(conditions.fromDate);
    if (conditions.untilDateOn)
        until_ = EndOfDay(conditions.untilDate);
    if (conditions.ratingOn) {
        const int choice = conditions.ratingChoice;
        if (choice == ClassifyConditions::kRejectedChoice)
            highestRating_ = Decision::kRejected;
        else if (choice == ClassifyConditions::kUnratedChoice)
            lowestRating_ = highestRating_ = Decision::kUnrated;
        else
            lowestRating_ = std::clamp(choice + 1, 1, 5);
    }
    labelOn_ = conditions.labelOn;
    if (conditions.labelChoice >= 0 && conditions.labelChoice < ClassifyConditions::kNoLabelChoice)
        label_ = static_cast<ColourLabel>(static_cast<int>(ColourLabel::Red) + conditions.labelChoice);
}

bool ClassifyRules::MatchesDecision(const Decision& decision) const {
    return decision.rating >= lowestRating_ && decision.rating <= highestRating_ &&
           (!labelOn_ || decision.label == label_);
}

bool ClassifyRules::Matches(std::string_view fileName, std::int64_t size, std::int64_t modified) const {
    if (size < lowerBound_ || size > upperBound_ || modified < from_ || modified > until_)
        return false;
    // Switched on with no pattern at all, the name filter lets every name through.
    if (!nameFilterOn_ || patterns_.empty())
        return true;
    const std::string name = codePage_.ToUpper(fileName);
    for (const std::string& pattern : patterns_) {
        if (MatchWildcard(codePage_, pattern, name))
            return true;
    }
    return false;
}

std::vector<std::string> ClassifyRules::NamePatterns(const CodePage& codePage, std::string_view text) {
    // ";" is below every trail byte of the code pages we read, so a byte search cannot split a
    // character.
    std::vector<std::string> patterns;
    for (;;) {
        const std::size_t semicolon = text.find(';');
        if (semicolon == std::string_view::npos)
            break;
        patterns.push_back(codePage.ToUpper(text.substr(0, semicolon)));
        text.remove_prefix(semicolon + 1);
    }
    if (!text.empty())
        patterns.push_back(codePage.ToUpper(text));
    return patterns;
}

std::int64_t ClassifyRules::SizeBound(std::string_view text) {
    // Whole 64-bit sizes: cut to 32 bits, a file of 4 GB and more would compare as a small one.
    return static_cast<std::int64_t>(ParseLeadingInt(text)) * 1024;
}

std::int64_t ClassifyRules::StartOfDay(const QDateTime& moment) {
    return QDateTime(moment.date(), QTime(0, 0, 0), Qt::LocalTime).toSecsSinceEpoch();
}

std::int64_t ClassifyRules::EndOfDay(const QDateTime& moment) {
    return QDateTime(moment.date(), QTime(23, 59, 59), Qt::LocalTime).toSecsSinceEpoch();
}

ScannedLists ListsToScan(const Board& board) {
    ScannedLists lists{};
    for (ListIndex list = 0; list < kListCount; ++list)
        lists[static_cast<std::size_t>(list)] = {&board.List(list).Entries(), &board.List(list).Identities()};
    return lists;
}

ClassifyOutcome FindMatches(const ScannedLists& lists, const ClassifyConditions& conditions, const CodePage& codePage,
                            ProgressSink* progress, DecisionCache* decisions) {
    ClassifyOutcome outcome;
    DecisionCache forThisRun;
    if (decisions == nullptr)
        decisions = &forThisRun;
    const bool oneList = conditions.sourceMode == ClassifyConditions::kOneList;
    if (oneList && !IsList(conditions.sourceList))
        return outcome;
    const ListIndex first = oneList ? conditions.sourceList : 0;
    const ListIndex last = oneList ? conditions.sourceList : kListCount - 1;
    std::size_t total = 0;
    for (ListIndex list = first; list <= last; ++list)
        total += lists[static_cast<std::size_t>(list)].paths->size();

    const ClassifyRules rules(conditions, codePage);
    const bool readDecisions = conditions.NeedsDecisions();
    const std::size_t together = readDecisions ? kReadTogether : kExaminedTogether;
    const PathText& paths = PathText::Native();
    std::size_t done = 0;
    for (ListIndex list = first; list <= last; ++list) {
        const FilePathList& entries = *lists[static_cast<std::size_t>(list)].paths;
        const std::vector<FileIdentity>& files = *lists[static_cast<std::size_t>(list)].identities;
        // Only the entries that stay are copied here; the list itself is rebuilt in one pass when
        // the outcome is applied, since removing entries one by one from the middle of a long list
        // would take time growing with the square of its length.
        EntryBatch kept;
        bool anyTaken = false;
        // The files are looked at a block at a time on every core, then taken in order.
        std::vector<char> matches;
        for (std::size_t i = 0; i < entries.size(); ++i, ++done) {
            if (progress && (done % kReportEvery == 0 || (readDecisions && i % together == 0))) {
                if (progress->StopRequested()) {
                    outcome = {};
                    outcome.stopped = true;
                    return outcome;
                }
                progress->Report(done, total, entries[i]);
            }
            if (i % together == 0) {
                matches.assign(std::min(together, entries.size() - i), 0);
                ParallelFor(matches.size(), [&](std::size_t begin, std::size_t end) {
                    for (std::size_t k = begin; k < end; ++k) {
                        const FilePath& path = entries[i + k];
                        const std::optional<FileInfo> file = StatPath(path);
                        matches[k] = file && rules.Matches(paths.FileName(path), file->size, file->modifiedSeconds) &&
                                     (!readDecisions || rules.MatchesDecision(decisions->Get(path, *file)));
                    }
                });
            }
            if (matches[i % together]) {
                if (!anyTaken) {
                    const auto end = static_cast<std::ptrdiff_t>(i);
                    kept.paths.assign(entries.begin(), entries.begin() + end);
                    kept.identities.assign(files.begin(), files.begin() + end);
                }
                anyTaken = true;
                outcome.taken.push_back(entries[i], files[i]);
            } else if (anyTaken) {
                kept.push_back(entries[i], files[i]);
            }
        }
        if (anyTaken)
            outcome.kept[static_cast<std::size_t>(list)] = std::move(kept);
    }
    return outcome;
}

void PrepareJournal(const Board& board, const ClassifyConditions& conditions, ClassifyOutcome& outcome) {
    for (ListIndex list = 0; list < kListCount; ++list) {
        if (std::optional<EntryBatch>& kept = outcome.kept[static_cast<std::size_t>(list)])
            board.history().PrepareRun(*kept, list, 0); // the list is emptied first
    }
    const int target = conditions.Target();
    if (!IsList(target) || outcome.taken.empty())
        return;
    const std::optional<EntryBatch>& targetKept = outcome.kept[static_cast<std::size_t>(target)];
    const int first = targetKept ? static_cast<int>(targetKept->size()) : board.List(target).Count();
    board.history().PrepareRun(outcome.taken, target, first);
}

int ApplyMatches(Board& board, const ClassifyConditions& conditions, ClassifyOutcome&& outcome) {
    const int target = conditions.Target();
    const bool oneList = conditions.sourceMode == ClassifyConditions::kOneList;
    if (outcome.stopped || (oneList && !IsList(conditions.sourceList)) ||
        (!IsList(target) && target != ClassifyConditions::kExclude))
        return 0;
    const ListIndex first = oneList ? conditions.sourceList : 0;
    const ListIndex last = oneList ? conditions.sourceList : kListCount - 1;
    for (ListIndex list = first; list <= last; ++list) {
        ClassList& scanned = board.List(list);
        BulkUpdate bulk(scanned);
        if (std::optional<EntryBatch>& kept = outcome.kept[static_cast<std::size_t>(list)]) {
            scanned.Clear();
            scanned.RestoreEntries(std::move(*kept));
        }
        board.ResyncPane(list, 0);
    }
    const int taken = static_cast<int>(outcome.taken.size());
    if (target == ClassifyConditions::kExclude)
        return taken;
    ClassList& targetList = board.List(target);
    BulkUpdate bulk(targetList);
    targetList.RestoreEntries(std::move(outcome.taken));
    board.ResyncPane(target, 0);
    return taken;
}

int RunAutoClassify(Board& board, const ClassifyConditions& conditions, const CodePage& codePage) {
    const int target = conditions.Target();
    if (!IsList(target) && target != ClassifyConditions::kExclude)
        return 0;
    return ApplyMatches(board, conditions, FindMatches(ListsToScan(board), conditions, codePage));
}

} // namespace pelldrake
