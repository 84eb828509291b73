#pragma once

#include "core/types.h"
#include "platform/path_text.h"

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace pelldrake {

class SettingsFile;

// The user's list of bare extensions ("jpg", no dot) that dropped, pasted and scanned files must
// carry while the filter is switched on. The settings file is its only store: nothing here is kept
// between calls, so an edit saved by the dialog counts from the next batch on.
class ExtensionFilter {
public:
    // EXTFILTER/COUNT patterns from EXT00 on, in index order, up to the last key the file holds;
    // empty values are left out.
    static std::vector<std::string> Load(const SettingsFile& settings);

    // Writes the dialog's rows, trimmed and without the empty ones and those the settings file
    // cannot hold, as EXT00, EXT01, … and then COUNT. Keys from an earlier, longer list stay in
    // the file; COUNT hides them. Returns COUNT.
    static int Save(const SettingsFile& settings, const std::vector<std::string>& rows);

    // The decision for one incoming path. Only the text after the last dot of the file name is
    // compared, without regard to case; a name without a dot, or ending in one, never matches.
    static bool Accepts(std::string_view path, const std::vector<std::string>& patterns, bool applyFilter,
                        bool bypassFilter, const PathText& pathText = PathText::Native());

    // ("拡張子フィルタ", "*.jpg;*.png") for the open-file dialog's type list; nothing for no patterns.
    static std::optional<std::pair<QString, QString>> FileDialogEntry(const std::vector<std::string>& patterns);
};

} // namespace pelldrake
