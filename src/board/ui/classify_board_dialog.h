#pragma once

#include "app/settings_file.h"
#include "board/board.h"
#include "board/board_owner.h"
#include "board/command_context.h"
#include "board/command_table.h"
#include "platform/ui/pane_scroll_bar.h"
#include "resources/dialog_template.h"
#include "thumbs/ui/enlarge_viewer.h"

#include <QDialog>
#include <array>
#include <map>
#include <memory>

class QAbstractButton;
class QGroupBox;
class QLabel;
class QMenuBar;

namespace pelldrake {

class BoardMenuBar;
class CThumbCtl;
class HeldKeyPictures;
class IntakeCommands;
class StatusProgress;
class Prompter;
class Shell;

// The main window: one pane per list, in one of three sizes, collapsed to the unclassified pane
// and panes 1 to 4 or expanded to all eleven. It turns clicks, keys, menu entries, scrolls and
// drops into commands and shows what the board model says; the rules live in the model.
class ClassifyBoardDialog : public QDialog, public BoardOwner {
    Q_OBJECT
public:
    ClassifyBoardDialog(LayoutMode layout, SettingsFile settings, Prompter& prompter, Shell& shell,
                        QWidget* parent = nullptr);
    ~ClassifyBoardDialog() override;

    Board& board() { return board_; }
    const Board& board() const { return board_; }
    EnlargeViewer& viewer() { return viewer_; }
    const EnlargeViewer& viewer() const { return viewer_; }
    const SettingsFile& settings() const { return settings_; }
    Prompter& prompter() { return prompter_; }
    Shell& shell() { return shell_; }
    LayoutMode layoutMode() const { return layout_; }
    IntakeCommands& intake() { return *intake_; }
    // What the commands of the subsystems may reach.
    CommandContext commandContext();

    bool applyExtensionFilter() const { return applyExtensionFilter_; }
    void setApplyExtensionFilter(bool on) { applyExtensionFilter_ = on; }

    bool expanded() const { return expanded_; }
    void ToggleExpand();
    QSize collapsedSize() const { return collapsedClient_; }
    QSize fullSize() const { return fullClient_; }

    QWidget* control(int id) const;
    CThumbCtl* thumbnail(ListIndex list) const { return thumbnails_[static_cast<std::size_t>(list)]; }
    PaneScrollBar* scrollBar(ListIndex list) const { return scrollBars_[static_cast<std::size_t>(list)]; }
    QGroupBox* groupBox(ListIndex list) const { return groupBoxes_[static_cast<std::size_t>(list)]; }
    QString statusText() const;
    QMenuBar* menuBar() const { return menuBar_; }
    BoardMenuBar* boardMenu() const { return boardMenu_; }

    // A scroll action on a pane's scroll bar.
    void OnScroll(ListIndex list, ScrollCode code, int trackPosition);

    // Runs the enlarge command for a list and gives the focus back to the board.
    void EnlargeCommand(ListIndex list);

    // Every button, menu entry and key of the board ends here.
    void RunCommand(int id);
    bool CommandAvailable(int id) const;
    // Other parts of the program plug their commands in here.
    CommandTable& commands() { return commands_; }

    // The exclude button's caption while Shift is held down or after it is released.
    void SetExcludeCaptionForShift(bool shiftDown);
    // While a key repeats, the panes show the files passed by their previews only (see
    // HeldKeyPictures); its release decodes the files the user stopped on.
    void SetKeyHeld(bool held);
    bool keyHeld() const;
    // Whether a mnemonic key reaches the command's button: it must be enabled and show the mnemonic.
    bool MnemonicActive(int commandId) const;
    // The help topic of the control under the mouse or with the focus, in a popup.
    void ShowContextHelp();
    const QString& helpPath() const { return helpPath_; }
    // The help file beside the program unless told otherwise.
    void setHelpPath(QString path) { helpPath_ = std::move(path); }

    // Esc and "閉じる": first hides the enlarge window, then asks before losing sorted lists.
    void reject() override;
    // The exit command and the close box: the enlarge window never stops them.
    void Exit();

    // Files and folders dropped at a screen point: the pane there may become the target.
    void DropFiles(const FilePathList& paths, const QPoint& screenPosition);
    // The list whose pane frame holds the screen point, the unclassified list first; 0 elsewhere.
    ListIndex ListAt(const QPoint& screenPosition) const;

    // BoardOwner
    void SetControlEnabled(int controlId, bool enabled) override;
    void FocusBoard() override;
    void SetScrollState(ListIndex list, int maximum, int position) override;
    void ShowCurrent(ListIndex list) override;
    void ShowTitle(ListIndex list) override;
    // The list's current file; nothing for an empty list.
    std::optional<FilePath> CurrentFile(ListIndex list) const;

    // Decoding the neighbours of the shown entries ahead; on unless switched off for comparison.
    void setReadAheadEnabled(bool on) { readAhead_ = on; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildWindow();
    void ConnectControls();
    void ResizeClient(const QSize& client);

    LayoutMode layout_;
    SettingsFile settings_;
    Prompter& prompter_;
    Shell& shell_;
    Board board_;
    EnlargeViewer viewer_;
    bool applyExtensionFilter_ = true;
    bool expanded_ = false;
    bool readAhead_ = true;
    HeldKeyPictures* heldKey_ = nullptr;
    QString helpPath_;
    std::unique_ptr<StatusProgress> progress_;
    std::unique_ptr<IntakeCommands> intake_;
    enum class ExcludeCaption { Template, ShiftDown, ShiftReleased };
    ExcludeCaption excludeCaption_ = ExcludeCaption::Template;
    CommandTable commands_;
    BoardMenuBar* boardMenu_ = nullptr;

    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    std::map<int, QWidget*> controls_;
    std::array<QGroupBox*, kListCount> groupBoxes_{};
    std::array<CThumbCtl*, kListCount> thumbnails_{};
    std::array<PaneScrollBar*, kListCount> scrollBars_{};
    std::array<QAbstractButton*, kListCount> enlargeButtons_{};
    QLabel* statusLine_ = nullptr;
    QAbstractButton* expandToggle_ = nullptr;
    QSize fullClient_;
    QSize collapsedClient_;
};

} // namespace pelldrake
