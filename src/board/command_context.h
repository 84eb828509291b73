#pragma once

class QWidget;

namespace pelldrake {

class Board;
class ProgressSink;
class Prompter;
class SettingsFile;

// What the commands of a subsystem may reach on the board: the lists, the settings, the user and
// the filter switch. Commands never see the board window itself, so they stay testable alone.
struct CommandContext {
    Board& board;
    const SettingsFile& settings;
    Prompter& prompter;
    bool& applyExtensionFilter;
    // Owner of the dialogs a command opens.
    QWidget* dialogParent;
    // Where a long file operation tells how far it has come; may be null.
    ProgressSink* progress = nullptr;
};

} // namespace pelldrake
