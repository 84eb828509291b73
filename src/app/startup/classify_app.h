#pragma once

#include "app/command_line.h"
#include "app/settings_file.h"
#include "app/startup_checks.h"

namespace pelldrake {

class InstanceChannel;
class Prompter;
class Shell;

// Start-up and shutdown: the checks, the board in the chosen size, and the flag saved at the end.
class ClassifyApp {
public:
    // The board's lists are kept for recovery in recoveryFolder; none when it is empty.
    ClassifyApp(SettingsFile settings, Prompter& prompter, ImageEnvironment environment = ImageEnvironment::Real(),
                FilePath recoveryFolder = {});

    // The whole run: checks, the modal board with what the command line names, then what is
    // saved. A channel brings the command lines of later starts to the board meanwhile.
    // Returns the exit code.
    int Run(Shell& shell, const CommandLine& commandLine = {}, InstanceChannel* channel = nullptr);

private:
    SettingsFile settings_;
    Prompter& prompter_;
    StartupChecks checks_;
    FilePath recoveryFolder_;
};

} // namespace pelldrake
