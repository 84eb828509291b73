#include "board/ui/classify_board_dialog.h"

#include "app/install_layout.h"
#include "app/ui/app_commands.h"
#include "board/moves.h"
#include "board/pane_scroll.h"
#include "board/status_text.h"
#include "board/ui/board_commands.h"
#include "board/ui/board_drop.h"
#include "board/ui/board_frame.h"
#include "board/ui/board_key_filter.h"
#include "board/ui/board_menu_bar.h"
#include "board/ui/context_help.h"
#include "board/ui/held_key_pictures.h"
#include "disposal/ui/disposal_commands.h"
#include "intake/ui/clipboard_commands.h"
#include "intake/ui/intake_commands.h"
#include "platform/help_file.h"
#include "platform/prompter.h"
#include "platform/ui/qt_clipboard.h"
#include "platform/ui/status_progress.h"
#include "resources/control_ids.h"
#include "resources/dialog_units.h"
#include "resources/strings.h"
#include "resources/ui/template_builder.h"
#include "state/ui/work_state_menu.h"
#include "thumbs/ui/enlarge_window.h"
#include "thumbs/ui/thumb_ctl.h"
#include "tools/ui/tool_commands.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>

namespace pelldrake {

ClassifyBoardDialog::ClassifyBoardDialog(LayoutMode layout, SettingsFile settings, Prompter& prompter, Shell& shell,
                                         QWidget* parent)
    : QDialog(parent), layout_(layout), settings_(std::move(settings)), prompter_(prompter), shell_(shell),
      viewer_(settings_, shell), helpPath_(InstallLayout(QApplication::applicationFilePath(), {}).HelpPath()) {
    BuildWindow();
    progress_ = std::make_unique<StatusProgress>(statusLine_);
    const CommandContext context = commandContext();
    RegisterBoardCommands(*this, commands_);
    intake_ = std::make_unique<IntakeCommands>(context);
    intake_->Register(commands_);
    RegisterToolCommands(commands_, context);
    RegisterAppCommands(commands_, context);
    RegisterClipboardCommands(commands_, context, SystemClipboard());
    RegisterWorkStateCommands(commands_, context);
    RegisterDisposalCommands(commands_, context, SystemClipboard());
    ConnectControls();
    boardMenu_ = new BoardMenuBar(menuBar_, *this);
    // The window always opens collapsed; sized once the menu bar has its menus.
    expanded_ = false;
    ResizeClient(collapsedClient_);
    QApplication::instance()->installEventFilter(new BoardKeyFilter(*this));

    viewer_.AttachBoard(this, enlargeButtons_);
    heldKey_ = new HeldKeyPictures(*this);
    board_.AttachOwner(this);
    for (PaneScrollBar* bar : scrollBars_)
        bar->setRange(0, 0);
}

ClassifyBoardDialog::~ClassifyBoardDialog() {
    viewer_.DetachBoard();
}

CommandContext ClassifyBoardDialog::commandContext() {
    return CommandContext{board_, settings_, prompter_, applyExtensionFilter_, this, progress_.get()};
}

void ClassifyBoardDialog::BuildWindow() {
    const DialogTemplate& layout = BoardTemplate(layout_);
    const BoardFrame frame = BuildBoardFrame(*this, QString::fromUtf8(layout.title));
    menuBar_ = frame.menuBar;
    client_ = frame.client;

    const DialogUnits units(font());
    controls_ = BuildControls(layout, client_, units);
    // Enter is the board's own key (the next file), never a press of the focused button.
    for (auto& [id, widget] : controls_) {
        if (auto* button = qobject_cast<QPushButton*>(widget))
            button->setAutoDefault(false);
    }
    for (ListIndex i = 0; i < kListCount; ++i) {
        const auto index = static_cast<std::size_t>(i);
        groupBoxes_[index] = qobject_cast<QGroupBox*>(control(ids::GroupBox(i)));
        thumbnails_[index] = qobject_cast<CThumbCtl*>(control(ids::Thumbnail(i)));
        scrollBars_[index] = qobject_cast<PaneScrollBar*>(control(ids::ScrollBar(i)));
        enlargeButtons_[index] = qobject_cast<QAbstractButton*>(control(ids::Enlarge(i)));
    }
    statusLine_ = qobject_cast<QLabel*>(control(ids::kStatusLine));
    expandToggle_ = qobject_cast<QAbstractButton*>(control(ids::kExpandToggle));

    fullClient_ = units.ToPixels(layout.size);
    const QRect marker = control(ids::kCollapsedMarker)->geometry();
    collapsedClient_ = QSize(marker.right() + 1, marker.bottom() + 1);
}

void ClassifyBoardDialog::ConnectControls() {
    connect(thumbnail(kUnclassified), &CThumbCtl::imageShown, this, [this] {
        if (const QString& why = thumbnail(kUnclassified)->placeholderReason(); !why.isEmpty())
            statusLine_->setText(StatusTextFor(thumbnail(kUnclassified)->currentFile(), why));
    });
    for (ListIndex i = 0; i < kListCount; ++i) {
        connect(scrollBar(i), &PaneScrollBar::scrolled, this,
                [this, i](ScrollCode code, int position) { OnScroll(i, code, position); });
    }
    for (auto& [id, widget] : controls_) {
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            // A button whose command is not part of the program yet stays grey.
            if (!CommandAvailable(id))
                button->setEnabled(false);
            const int commandId = id;
            connect(button, &QAbstractButton::clicked, this, [this, commandId] { RunCommand(commandId); });
        }
    }
}

void ClassifyBoardDialog::RunCommand(int id) {
    // A timer or a queued key may come due while a run repaints; the command waits for nobody.
    if (board_.runLock().Held())
        return;
    const BoardHistory::Scope step(board_.history());
    commands_.Run(id);
}

bool ClassifyBoardDialog::CommandAvailable(int id) const {
    return commands_.Has(id);
}

void ClassifyBoardDialog::SetExcludeCaptionForShift(bool shiftDown) {
    const ExcludeCaption wanted = shiftDown ? ExcludeCaption::ShiftDown : ExcludeCaption::ShiftReleased;
    if (excludeCaption_ == wanted)
        return;
    excludeCaption_ = wanted;
    auto* button = qobject_cast<QAbstractButton*>(control(ids::kExclude));
    button->setText(strings::Utf8(shiftDown ? strings::kExcludeAllCaption : strings::kExcludeReleasedCaption));
}

void ClassifyBoardDialog::SetKeyHeld(bool held) {
    heldKey_->SetHeld(held);
}

bool ClassifyBoardDialog::keyHeld() const {
    return heldKey_->held();
}

bool ClassifyBoardDialog::MnemonicActive(int commandId) const {
    const QWidget* button = control(commandId);
    if (!button || !button->isEnabled())
        return false;
    // The exclude button carries its mnemonic only in the caption Shift's release gives it.
    return commandId != ids::kExclude || excludeCaption_ == ExcludeCaption::ShiftReleased;
}

void ClassifyBoardDialog::ShowContextHelp() {
    pelldrake::ShowContextHelp(helpPath_, this, controls_);
}

void ClassifyBoardDialog::reject() {
    if (viewer_.ShownList() != EnlargeViewer::kNoList) {
        viewer_.ShowList(EnlargeViewer::kNoList, std::nullopt);
        return;
    }
    if (board_.HoldsSortedEntries() &&
        prompter_.Ask(strings::Utf8(strings::kUnsavedCloseQuestion), PromptButtons::YesNo, PromptIcon::Exclamation) !=
            PromptAnswer::Yes)
        return;
    QDialog::reject();
}

void ClassifyBoardDialog::Exit() {
    viewer_.ShowList(EnlargeViewer::kNoList, std::nullopt);
    reject();
}

void ClassifyBoardDialog::closeEvent(QCloseEvent* event) {
    // Whether the board really goes is decided by the close rules, not by the window system.
    event->ignore();
    // The close box reaches the window while a run repaints; the run goes on.
    if (!board_.runLock().Held())
        Exit();
}

void ClassifyBoardDialog::ResizeClient(const QSize& client) {
    client_->setFixedSize(client);
    adjustSize();
}

QWidget* ClassifyBoardDialog::control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void ClassifyBoardDialog::ToggleExpand() {
    expanded_ = !expanded_;
    ResizeClient(expanded_ ? fullClient_ : collapsedClient_);
    expandToggle_->setChecked(expanded_);
}

QString ClassifyBoardDialog::statusText() const {
    return statusLine_->text();
}

void ClassifyBoardDialog::SetControlEnabled(int controlId, bool enabled) {
    // A button whose command is not part of the program yet stays grey.
    if (QWidget* widget = control(controlId))
        widget->setEnabled(enabled && CommandAvailable(controlId));
}

void ClassifyBoardDialog::FocusBoard() {
    setEnabled(true);
    setFocus(Qt::OtherFocusReason);
}

void ClassifyBoardDialog::SetScrollState(ListIndex list, int maximum, int position) {
    PaneScrollBar* bar = scrollBar(list);
    const QSignalBlocker blocker(bar);
    bar->setRange(0, maximum);
    bar->setValue(position);
}

void ClassifyBoardDialog::ShowTitle(ListIndex list) {
    groupBox(list)->setTitle(board_.PaneTitle(list));
}

std::optional<FilePath> ClassifyBoardDialog::CurrentFile(ListIndex list) const {
    const ClassList& classList = board_.List(list);
    return classList.HasCurrent() ? std::optional<FilePath>(classList.At(classList.position())) : std::nullopt;
}

void ClassifyBoardDialog::ShowCurrent(ListIndex list) {
    heldKey_->NoteShown(list);
    const std::optional<FilePath> path = CurrentFile(list);
    thumbnail(list)->ShowFile(path.value_or(FilePath()));
    viewer_.FollowList(list, path);
    if (list == kUnclassified)
        statusLine_->setText(path ? StatusTextFor(*path) : QString());
    if (!path || !readAhead_)
        return;
    if (list == kUnclassified)
        thumbnail(list)->ReadAhead(board_.ReadAheadOf(list));
    if (list == viewer_.ShownList())
        viewer_.ReadAhead(board_.ReadAheadOf(list));
}

void ClassifyBoardDialog::OnScroll(ListIndex list, ScrollCode code, int trackPosition) {
    board_.setLastTouchedList(list);
    PaneScrollBar* bar = scrollBar(list);
    {
        const QSignalBlocker blocker(bar);
        bar->setValue(ScrolledPosition(code, bar->value(), bar->maximum(), trackPosition));
    }
    board_.List(list).SetPosition(bar->value());
    ShowTitle(list);
    if (code == ScrollCode::EndScroll)
        ShowCurrent(list);
}

void ClassifyBoardDialog::EnlargeCommand(ListIndex list) {
    viewer_.EnlargeCommand(list, board_, readAhead_);
    FocusBoard();
}

ListIndex ClassifyBoardDialog::ListAt(const QPoint& screenPosition) const {
    return ListAtScreenPosition(groupBoxes_, screenPosition);
}

void ClassifyBoardDialog::DropFiles(const FilePathList& paths, const QPoint& screenPosition) {
    if (board_.runLock().Held())
        return;
    const BoardHistory::Scope step(board_.history());
    intake_->Drop(paths, ListAt(screenPosition));
}

void ClassifyBoardDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (AcceptsDroppedFiles(*event->mimeData(), board_.runLock().Held()))
        event->acceptProposedAction();
}

void ClassifyBoardDialog::dropEvent(QDropEvent* event) {
    const FilePathList paths = DroppedFiles(*event->mimeData());
    if (paths.empty() || board_.runLock().Held())
        return;
    event->acceptProposedAction();
    DropFiles(paths, mapToGlobal(event->position().toPoint()));
}

} // namespace pelldrake
