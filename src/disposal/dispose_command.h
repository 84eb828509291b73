#pragma once

#include "core/types.h"

#include <optional>

namespace pelldrake {

// What a command writes into the destination dialog before it runs.
enum class DisposePreset { None, MoveFiles, MoveEntries, Clipboard, DeleteFiles };

struct DisposeCommand {
    ListIndex list;
    DisposePreset preset;
};

// The dispose buttons and the four menu ranges; nullopt for any other id.
std::optional<DisposeCommand> DisposeCommandFor(int id);

} // namespace pelldrake
