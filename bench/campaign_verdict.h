#pragma once

// Judges what came back after a kill: the lists against the reference run's state before and
// after the command in flight, and the files on disk against the lists. An entry must name a file
// that is there, and a file in the work folders must be named by a list, except where the
// reference run itself, before or after that command, had the same entry naming nothing or the
// same file unnamed (a copy's source, a cleared entry's file, a moved file in its folder).

#include "campaign_states.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <unordered_map>

namespace campaign {

struct Verdict {
    enum class Kind { Before, After, Midway, Partial };
    Kind lists = Kind::Partial;
    // Before, though the command had finished: it was lost.
    bool finishedLost = false;
    // Partial only in the positions or the list Backspace returns from.
    bool marksOnly = false;
    // Partial lists that are an older state: how many commands back; 0 when none.
    int lag = 0;
    HashList missing; // recovered entries naming no file
    HashList unnamed; // files named by no recovered list
    // Entries naming no file in the reference run itself, before or after.
    std::size_t referenceMissing = 0;
    // Where partial lists differ: each such list's length recovered / before / after, and the marks.
    std::string difference;
};

namespace detail {

inline HashSet Sorted(HashList hashes) {
    std::sort(hashes.begin(), hashes.end());
    hashes.erase(std::unique(hashes.begin(), hashes.end()), hashes.end());
    return hashes;
}

inline HashSet Named(const Lists& lists) {
    HashList all;
    for (const HashList& list : lists)
        all.insert(all.end(), list.begin(), list.end());
    return Sorted(std::move(all));
}

inline Lists ListsOf(const BoardState& state) {
    Lists lists;
    for (std::size_t i = 0; i < lists.size(); ++i) {
        if (state.lists[i])
            lists[i] = *state.lists[i];
    }
    return lists;
}

inline HashSet Minus(const HashSet& a, const HashSet& b) {
    HashSet out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

inline HashSet Union(const HashSet& a, const HashSet& b) {
    HashSet out;
    std::set_union(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(out));
    return out;
}

// The entries of a list that are not in changed, in order.
inline HashList Outside(const HashList& list, const HashSet& changed) {
    HashList out;
    std::copy_if(list.begin(), list.end(), std::back_inserter(out), [&](auto h) { return !Holds(changed, h); });
    return out;
}

inline bool IsSubsequence(const HashList& part, const HashList& whole) {
    auto at = whole.begin();
    for (const std::uint64_t h : part) {
        at = std::find(at, whole.end(), h);
        if (at == whole.end())
            return false;
        ++at;
    }
    return true;
}

// Whether recovered differs from before and after only by entries whose files the command moved,
// copied, trashed or brought back (filesMoved), each list on its way from before to after.
template <typename FilesMoved>
bool OnlyCommandsEntries(const Lists& recovered, const Lists& before, const Lists& after, FilesMoved filesMoved) {
    HashSet changed;
    for (std::size_t i = 0; i < before.size(); ++i) {
        const HashSet b = Sorted(before[i]);
        const HashSet a = Sorted(after[i]);
        HashSet differing;
        std::set_symmetric_difference(b.begin(), b.end(), a.begin(), a.end(), std::back_inserter(differing));
        std::erase_if(differing, [&](std::uint64_t entry) { return !filesMoved(entry); });
        changed = Union(changed, differing);
    }
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (Outside(recovered[i], changed) != Outside(before[i], changed))
            return false;
        // What a run between files leaves: the entries still to go, or those already back, in order.
        if (!IsSubsequence(recovered[i], before[i]) && !IsSubsequence(recovered[i], after[i]))
            return false;
    }
    // Nor is any entry there twice.
    std::size_t count = 0;
    for (const HashList& list : recovered)
        count += list.size();
    return Named(recovered).size() == count;
}

inline std::string Marks(const BoardMarks& marks) {
    std::string text = "[";
    for (const int position : marks.positions)
        text += std::to_string(position) + " ";
    return text + "| " + std::to_string(marks.lastTouched) + "]";
}

inline std::string Difference(const Lists& recovered, const BoardMarks& marks, const Lists& before,
                              const BoardMarks& beforeMarks, const Lists& after, const BoardMarks& afterMarks) {
    std::string text;
    for (std::size_t i = 0; i < recovered.size(); ++i) {
        if (recovered[i] != before[i] && recovered[i] != after[i])
            text += " list " + std::to_string(i) + " has " + std::to_string(recovered[i].size()) + " (before " +
                    std::to_string(before[i].size()) + ", after " + std::to_string(after[i].size()) + ");";
    }
    if (marks != beforeMarks && marks != afterMarks)
        text += " marks " + Marks(marks) + " (before " + Marks(beforeMarks) + ", after " + Marks(afterMarks) + ")";
    return text;
}

} // namespace detail

// inFlight: the command the child had started last (-1: none); finished: whether it had ended.
// names: the path of each hash, for the names of an entry's file in the destination folders.
inline Verdict Judge(const std::vector<BoardState>& states, int inFlight, bool finished, const Lists& recovered,
                     const BoardMarks& marks, const HashSet& listingNow, const CampaignFiles& files,
                     const std::unordered_map<std::uint64_t, FilePath>& names) {
    using namespace detail;
    Verdict verdict;
    const auto last = static_cast<int>(states.size()) - 1;
    const BoardState& before = states[static_cast<std::size_t>(std::clamp(inFlight, 0, last))];
    const BoardState& after = states[static_cast<std::size_t>(std::clamp(inFlight + 1, 0, last))];
    const Lists beforeLists = ListsOf(before);
    const Lists afterLists = ListsOf(after);

    // Start-up offers nothing from an empty board, so it has no positions to give back.
    const bool nothingOffered = Named(recovered).empty();
    auto marksMatch = [&](const BoardMarks& reference) { return nothingOffered || marks == reference; };
    if (recovered == beforeLists && marksMatch(before.marks)) {
        verdict.lists = Verdict::Kind::Before;
        verdict.finishedLost = finished && (beforeLists != afterLists || before.marks != after.marks);
    } else if (recovered == afterLists && marksMatch(after.marks)) {
        verdict.lists = Verdict::Kind::After;
    } else {
        verdict.marksOnly = recovered == beforeLists || recovered == afterLists;
        for (int back = 1; back <= 20 && inFlight - back >= 0 && !verdict.lag; ++back) {
            if (ListsOf(states[static_cast<std::size_t>(inFlight - back)]) == recovered)
                verdict.lag = back;
        }
    }

    // What the reference itself had unnamed, or naming nothing, before or after.
    const HashSet beforeNamed = Named(beforeLists);
    const HashSet afterNamed = Named(afterLists);
    const HashSet referenceMissing = Union(Minus(beforeNamed, *before.listing), Minus(afterNamed, *after.listing));
    const HashSet referenceUnnamed = Union(Minus(*before.listing, beforeNamed), Minus(*after.listing, afterNamed));
    verdict.referenceMissing = referenceMissing.size();
    const HashSet named = Named(recovered);
    verdict.missing = Minus(Minus(named, listingNow), referenceMissing);
    verdict.unnamed = Minus(Minus(listingNow, named), referenceUnnamed);

    if (verdict.lists == Verdict::Kind::Partial)
        verdict.difference = Difference(recovered, marks, beforeLists, before.marks, afterLists, after.marks);
    // The files that came or went in the folders: an entry's own, or its name in a destination folder.
    HashSet filesChanged;
    std::set_symmetric_difference(before.listing->begin(), before.listing->end(), after.listing->begin(),
                                  after.listing->end(), std::back_inserter(filesChanged));
    auto filesMoved = [&](std::uint64_t entry) {
        if (Holds(filesChanged, entry))
            return true;
        const auto path = names.find(entry);
        if (path == names.end())
            return false;
        const std::string name = path->second.substr(path->second.rfind('/'));
        return Holds(filesChanged, PathHash(files.Same() + name)) ||
               Holds(filesChanged, PathHash(files.Other() + name));
    };
    // A run cut after its last file and before the lists' change that ends it: the lists follow
    // every file, the positions are still those from before the command.
    const bool cutAfterItsFiles = verdict.marksOnly && recovered == afterLists && marks == before.marks;
    if (verdict.lists == Verdict::Kind::Partial && (!verdict.marksOnly || cutAfterItsFiles) && !filesChanged.empty() &&
        verdict.missing.empty() && verdict.unnamed.empty() &&
        OnlyCommandsEntries(recovered, beforeLists, afterLists, filesMoved))
        verdict.lists = Verdict::Kind::Midway;
    return verdict;
}

} // namespace campaign
