#pragma once

#include "core/types.h"

#include <string>
#include <vector>

namespace pelldrake {

// What the program was asked for on its command line. Paths stay the bytes they were given, so
// a name that is not valid text in the locale still names its file.
struct CommandLine {
    enum class Action { Run, Help, Version, Usage };

    Action action = Action::Run;
    // --new-window: a board of its own, even when one runs already.
    bool newWindow = false;
    // Image files and folders, made absolute, in the order given.
    FilePathList intake;
    // Work-state files; the first one is loaded.
    FilePathList workStates;
    // Paths under which nothing exists: reported, not taken in.
    FilePathList missing;
    // The option that was not understood, for Action::Usage.
    std::string badOption;
};

// Reads the arguments after the program's name. "--" ends the options.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// A file the load command reads: its name ends in ".pld" or its first line is the magic line.
bool IsWorkStateFile(const FilePath& path);

std::string UsageText(const std::string& programName);
std::string VersionText(const std::string& programName);

} // namespace pelldrake
