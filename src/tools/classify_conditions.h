#pragma once

#include "core/types.h"

#include <QDateTime>
#include <string>

namespace pelldrake {

// What the bulk classification dialog holds between its uses within one run; never saved.
struct ClassifyConditions {
    static constexpr int kAllLists = 0;
    static constexpr int kOneList = 1;
    static constexpr int kToUnclassified = 0;
    static constexpr int kToChosen = 1;
    static constexpr int kExclude = 11; // the last choice of targetChoice, after lists 0 … 10

    int sourceMode = kAllLists;
    ListIndex sourceList = kUnclassified;
    int targetMode = kToUnclassified;
    int targetChoice = kUnclassified;

    // Texts as typed, in the platform's code page; the bounds are numbers of kilobytes.
    bool nameFilterOn = false;
    std::string nameFilter;
    bool lowerBoundOn = false;
    std::string lowerBound;
    bool upperBoundOn = false;
    std::string upperBound;

    // Only the calendar day counts; the time of day is kept as it came.
    bool fromDateOn = false;
    QDateTime fromDate;
    bool untilDateOn = false;
    QDateTime untilDate;

    // The decisions a photographer left in the files (XMP sidecars, the camera's rating), each a
    // choice of its drop-down: ★1以上 … ★4以上, ★5, then the unrated and the rejected files; red …
    // purple, then the files without a label.
    static constexpr int kUnratedChoice = 5;
    static constexpr int kRejectedChoice = 6;
    static constexpr int kNoLabelChoice = 5;
    bool ratingOn = false;
    int ratingChoice = 0;
    bool labelOn = false;
    int labelChoice = 0;

    // The values a board starts with: the month before the moment it was made.
    static ClassifyConditions StartingAt(const QDateTime& boardMade) {
        ClassifyConditions conditions;
        conditions.fromDate = boardMade.addDays(-30);
        conditions.untilDate = boardMade;
        return conditions;
    }

    // Whether a run must read each file's rating or label.
    bool NeedsDecisions() const { return ratingOn || labelOn; }

    // The list that receives the matches, or kExclude.
    int Target() const { return targetMode == kToUnclassified ? kUnclassified : targetChoice; }
};

} // namespace pelldrake
