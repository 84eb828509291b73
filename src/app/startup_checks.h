#pragma once

#include "app/settings_file.h"
#include "resources/dialog_template.h"

#include <array>
#include <functional>
#include <optional>

namespace pelldrake {

class Prompter;

// Four version parts, most significant first (6.4.2 reads 6, 4, 2, 0).
using LibraryVersion = std::array<int, 4>;

// What start-up checks about the image library; tests put their own answers in.
struct ImageEnvironment {
    std::function<bool()> decodersPresent;
    // nullopt when the version cannot be read.
    std::function<std::optional<LibraryVersion>()> libraryVersion;

    static ImageEnvironment Real();
};

std::optional<LibraryVersion> ParseVersion(const char* text);

// Before the board opens: are the image decoders there, is their version one the settings
// accept, and which size of board the settings ask for.
class StartupChecks {
public:
    StartupChecks(SettingsFile settings, Prompter& prompter, ImageEnvironment environment);

    // The presence and version checks; false when the user or a failed check ends start-up.
    bool RunChecks();
    LayoutMode ChooseLayout() const;
    // Whether a version passes the STARTCHECK keys (-1 is a wildcard except for the first part).
    bool VersionAccepted(const LibraryVersion& version) const;

private:
    bool PresenceCheck();
    bool VersionCheck();

    SettingsFile settings_;
    Prompter& prompter_;
    ImageEnvironment environment_;
};

} // namespace pelldrake
