#pragma once

#include "core/types.h"

#include <cstddef>
#include <functional>

namespace pelldrake {

class Board;
class CommandTable;
class Prompter;

// Writes all lists to a file the user names. Leaves the board as it is.
void SaveWorkState(Board& board, Prompter& prompter);

// Replaces all lists by a file the user picks, after asking whether the current lists may go.
// keepGoing, when given, hears every few thousand lines how far reading is and may stop it. With
// findPairs (raw and JPEG files paired at intake), the JPEG entries are paired again.
using LoadProgress = std::function<bool(std::size_t done, std::size_t total)>;
void LoadWorkState(Board& board, Prompter& prompter, const LoadProgress& keepGoing = {}, bool findPairs = false);
// The same from a file already named (the command line), without the question.
void LoadWorkStateFile(Board& board, Prompter& prompter, const FilePath& path, const LoadProgress& keepGoing = {},
                       bool findPairs = false);

} // namespace pelldrake
