#pragma once

#include "board/ui/classify_board_dialog.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <memory>

namespace pelldrake::testing {

// A real board over a temporary settings file, with scripted answers and a recording shell;
// made anew for every test case.
struct BoardFixture {
    std::unique_ptr<TempDir> dir;
    ScriptedPrompter prompter;
    RecordingShell shell;
    std::unique_ptr<ClassifyBoardDialog> board;

    void Reset(LayoutMode layout = LayoutMode::Small) {
        board.reset();
        dir = std::make_unique<TempDir>();
        prompter = ScriptedPrompter();
        shell = RecordingShell();
        board = std::make_unique<ClassifyBoardDialog>(layout, Settings(), prompter, shell);
    }
    SettingsFile Settings() const { return SettingsFile(dir->FilePath("p.INI")); }
    FilePathList Entries(ListIndex list) const { return board->board().List(list).Entries(); }
};

} // namespace pelldrake::testing
