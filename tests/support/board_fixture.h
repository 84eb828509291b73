#pragma once

#include "board/ui/board_menu_bar.h"
#include "board/ui/classify_board_dialog.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"

#include <QAction>
#include <QPointF>
#include <QTest>
#include <cmath>
#include <memory>

namespace pelldrake::testing {

// Puts entries into a list and shows it at position, as intake would.
// Lists filled this way are where a test starts, not a step to take back.
inline void Fill(ClassifyBoardDialog& board, ListIndex list, FilePathList paths, int position = 0) {
    board.board().AppendAndShow(list, std::move(paths), position);
    board.board().history().Forget();
}

// The same with count small files that exist, named after the list.
inline FilePathList FillWithFiles(ClassifyBoardDialog& board, const TempDir& dir, ListIndex list, int count) {
    FilePathList paths;
    for (int i = 0; i < count; ++i)
        paths.push_back(dir.Write(QStringLiteral("f%1_%2.jpg").arg(list).arg(i), QByteArray(10, 'x')));
    Fill(board, list, paths);
    return paths;
}

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
    std::unique_ptr<ClassifyBoardDialog> MakeBoard(LayoutMode layout) {
        return std::make_unique<ClassifyBoardDialog>(layout, Settings(), prompter, shell);
    }
    // A key pressed on the board, as the user types it.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(board.get(), static_cast<Qt::Key>(key), modifiers);
    }
    // The board's menu entry, its enabled and checked states brought up to date as on opening the menu.
    QAction* Menu(int id) const {
        board->boardMenu()->UpdateStates();
        return board->boardMenu()->action(id);
    }
};

// Two points of a picture, as shares of it, within a pixel or two of each other.
inline bool Near(QPointF a, QPointF b) {
    return std::abs(a.x() - b.x()) < 0.004 && std::abs(a.y() - b.y()) < 0.004;
}

} // namespace pelldrake::testing
