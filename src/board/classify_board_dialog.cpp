#include "board/classify_board_dialog.h"

#include "board/board_key_filter.h"
#include "board/board_menu_bar.h"
#include "board/moves.h"
#include "disposal/ui/disposal_commands.h"
#include "intake/intake_commands.h"
#include "platform/help_file.h"
#include "platform/prompter.h"
#include "platform/shell.h"
#include "resources/app_icon.h"
#include "resources/control_ids.h"
#include "resources/dialog_units.h"
#include "resources/menu_table.h"
#include "resources/strings.h"
#include "resources/template_builder.h"
#include "thumbs/enlarge_window.h"
#include "thumbs/thumb_ctl.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>
#include <QVBoxLayout>
#include <QWhatsThis>
#include <sys/stat.h>

namespace pelldrake {

ClassifyBoardDialog::ClassifyBoardDialog(LayoutMode layout, SettingsFile settings, Prompter& prompter, Shell& shell,
                                         QWidget* parent)
    : QDialog(parent), layout_(layout), settings_(std::move(settings)), prompter_(prompter), shell_(shell),
      viewer_(settings_, shell), helpPath_(HelpFile::PathFor(QApplication::applicationFilePath())) {
    BuildWindow();
    RegisterCommands();
    intake_ = std::make_unique<IntakeCommands>(*this);
    RegisterDisposalCommands(commands_, board_, prompter_, this);
    ConnectControls();
    boardMenu_ = new BoardMenuBar(menuBar_, *this);
    // The window always opens collapsed; sized once the menu bar has its menus.
    expanded_ = false;
    ResizeClient(collapsedClient_);
    QApplication::instance()->installEventFilter(new BoardKeyFilter(*this));

    viewer_.AttachBoard(this, enlargeButtons_);
    board_.AttachOwner(this);
    for (PaneScrollBar* bar : scrollBars_)
        bar->setRange(0, 0);
}

ClassifyBoardDialog::~ClassifyBoardDialog() {
    viewer_.DetachBoard();
}

void ClassifyBoardDialog::BuildWindow() {
    const DialogTemplate& layout = BoardTemplate(layout_);
    setWindowTitle(QString::fromUtf8(layout.title));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowIcon(AppIcon());
    setFont(DialogFont());
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    menuBar_ = new QMenuBar(this);
    outer->setMenuBar(menuBar_);
    client_ = new QWidget(this);
    outer->addWidget(client_);

    const DialogUnits units(font());
    controls_ = BuildControls(layout, client_, units);
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

void ClassifyBoardDialog::RegisterCommands() {
    using namespace menu_ids;
    auto shiftHeld = [] { return QGuiApplication::keyboardModifiers().testFlag(Qt::ShiftModifier); };
    commands_.Add(ids::NumberButton(1), ids::NumberButton(10), [this, shiftHeld](int id) {
        const ListIndex n = id - ids::NumberButton(0);
        if (shiftHeld())
            EnlargeCommand(n);
        else
            moves::MoveCurrentToList(board_, n);
    });
    commands_.Add(ids::MoveOne(1), ids::MoveOne(10),
                  [this](int id) { moves::ReturnCurrentToUnclassified(board_, id - ids::MoveOne(0)); });
    commands_.Add(ids::MoveAll(1), ids::MoveAll(10), [this, shiftHeld](int id) {
        const ListIndex n = id - ids::MoveAll(0);
        if (shiftHeld()) {
            moves::MoveAllEntries(board_, kUnclassified, n);
            board_.setLastTouchedList(n);
        } else {
            moves::MoveAllEntries(board_, n, kUnclassified);
        }
    });
    commands_.Add(ids::kExclude, [this, shiftHeld](int) { moves::ExcludeCurrent(board_, shiftHeld()); });
    commands_.Add(kClearUnclassified, [this](int) { moves::ClearList(board_, kUnclassified); });
    commands_.Add(kClearAll, [this](int) { moves::ClearAll(board_); });
    commands_.Add(ids::kExpandToggle, [this](int) { ToggleExpand(); });
    commands_.Add(kExpand, [this](int) { ToggleExpand(); });
    commands_.Add(ids::Enlarge(0), ids::Enlarge(10), [this](int id) { EnlargeCommand(id - ids::Enlarge(0)); });
    commands_.Add(kEnlargeFirst, kEnlargeFirst + 10, [this](int id) { EnlargeCommand(id - kEnlargeFirst); });
    commands_.Add(kCloseEnlarge, [this](int) { viewer_.ShowList(EnlargeViewer::kNoList, std::nullopt); });
    commands_.Add(ids::kOpen, [this](int) { OpenCurrentFile(); });
    commands_.Add(kHelpContents, [this](int) { OpenHelpContents(); });
    commands_.Add(kExit, [this](int) { Exit(); });
    commands_.Add(ids::kOk, [this](int) { moves::StepUnclassified(board_); });
    commands_.Add(ids::kCancel, [this](int) { reject(); });
}

void ClassifyBoardDialog::RunCommand(int id) {
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

QAbstractButton* ClassifyBoardDialog::ButtonForMnemonic(int key) const {
    for (const auto& [id, widget] : controls_) {
        auto* button = qobject_cast<QAbstractButton*>(widget);
        if (!button || !button->isEnabled())
            continue;
        const QKeySequence mnemonic = QKeySequence::mnemonic(button->text());
        if (!mnemonic.isEmpty() && (mnemonic[0].key() == key))
            return button;
    }
    return nullptr;
}

int ClassifyBoardDialog::ControlIdOf(const QWidget* widget) const {
    for (; widget && widget != this; widget = widget->parentWidget()) {
        for (const auto& [id, control] : controls_) {
            if (control == widget)
                return id;
        }
    }
    return 0;
}

void ClassifyBoardDialog::ShowContextHelp() {
    const HelpFile help(helpPath_);
    QWidget* target = QApplication::widgetAt(QCursor::pos());
    if (!target || target->window() != this)
        target = QApplication::focusWidget();
    const int id = ControlIdOf(target);
    QString topic = help.Topic(id ? QString::number(id) : QStringLiteral("board"));
    if (topic.isEmpty())
        topic = help.Topic(QStringLiteral("board"));
    if (!topic.isEmpty())
        QWhatsThis::showText(QCursor::pos(), topic, this);
}

void ClassifyBoardDialog::OpenHelpContents() {
    shell_.OpenInBrowser(QFile::encodeName(helpPath_).toStdString());
}

void ClassifyBoardDialog::reject() {
    if (viewer_.ShownList() != EnlargeViewer::kNoList) {
        viewer_.ShowList(EnlargeViewer::kNoList, std::nullopt);
        return;
    }
    for (ListIndex list = 1; list < kListCount; ++list) {
        if (board_.List(list).Count() == 0)
            continue;
        if (prompter_.Ask(strings::Utf8(strings::kUnsavedCloseQuestion), PromptButtons::YesNo,
                          PromptIcon::Exclamation) != PromptAnswer::Yes)
            return;
        break;
    }
    QDialog::reject();
}

void ClassifyBoardDialog::Exit() {
    viewer_.ShowList(EnlargeViewer::kNoList, std::nullopt);
    reject();
}

void ClassifyBoardDialog::closeEvent(QCloseEvent* event) {
    // Whether the board really goes is decided by the close rules, not by the window system.
    event->ignore();
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

FilePathList ClassifyBoardDialog::NeighboursOf(ListIndex list) const {
    // Forward first: that is where sorting goes next.
    const ClassList& classList = board_.List(list);
    FilePathList neighbours;
    for (int step = 1; step <= kReadAheadForward; ++step) {
        if (classList.position() + step < classList.Count())
            neighbours.push_back(classList.At(classList.position() + step));
    }
    if (classList.position() > 0 && classList.position() - 1 < classList.Count())
        neighbours.push_back(classList.At(classList.position() - 1));
    return neighbours;
}

void ClassifyBoardDialog::ShowCurrent(ListIndex list) {
    const ClassList& classList = board_.List(list);
    if (!classList.HasCurrent()) {
        thumbnail(list)->ShowFile(FilePath());
        viewer_.FollowList(list, std::nullopt);
        if (list == kUnclassified)
            statusLine_->clear();
        return;
    }
    const FilePath& path = classList.At(classList.position());
    thumbnail(list)->ShowFile(path);
    viewer_.FollowList(list, path);
    if (list == kUnclassified)
        statusLine_->setText(StatusTextFor(path));
    if (!readAhead_)
        return;
    if (list == kUnclassified)
        thumbnail(list)->ReadAhead(NeighboursOf(list));
    if (list == viewer_.ShownList() && viewer_.window())
        viewer_.window()->thumbnail()->ReadAhead(NeighboursOf(list));
}

QString ClassifyBoardDialog::StatusTextFor(const FilePath& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return strings::Utf8(strings::kStatusUnavailable);
    // The whole size, not only its low 32 bits: files of 4 GB and more exist.
    const long long size = info.st_size;
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (size <= 2047)
        return QString::asprintf(strings::kStatusFormat, name.c_str(), static_cast<long>(size), "");
    return QString::asprintf(strings::kStatusFormat, name.c_str(), static_cast<long>(size / 1024),
                             strings::kStatusKilobytes);
}

void ClassifyBoardDialog::OnScroll(ListIndex list, ScrollCode code, int trackPosition) {
    board_.setLastTouchedList(list);
    ClassList& classList = board_.List(list);
    PaneScrollBar* bar = scrollBar(list);
    const int minimum = bar->minimum();
    const int maximum = bar->maximum();
    int position = bar->value();
    switch (code) {
    case ScrollCode::LineUp:
    case ScrollCode::PageUp:
        if (position > minimum)
            --position;
        break;
    case ScrollCode::LineDown:
    case ScrollCode::PageDown:
        if (position < maximum)
            ++position;
        break;
    case ScrollCode::ThumbTrack:
    case ScrollCode::ThumbPosition:
        position = trackPosition;
        break;
    case ScrollCode::Top:
        position = 0;
        break;
    case ScrollCode::Bottom:
        position = maximum;
        break;
    case ScrollCode::EndScroll:
        break;
    }
    {
        const QSignalBlocker blocker(bar);
        bar->setValue(position);
    }
    classList.SetPosition(bar->value());
    ShowTitle(list);
    if (code == ScrollCode::EndScroll)
        ShowCurrent(list);
}

void ClassifyBoardDialog::EnlargeCommand(ListIndex list) {
    viewer_.EnlargeCommand(list, board_);
    FocusBoard();
}

void ClassifyBoardDialog::OpenCurrentFile() {
    const ClassList& unclassified = board_.List(kUnclassified);
    if (unclassified.HasCurrent())
        shell_.OpenFile(unclassified.At(unclassified.position()));
}

void ClassifyBoardDialog::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ClassifyBoardDialog::dropEvent(QDropEvent* event) {
    FilePathList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        // The URL carries the name's bytes percent-encoded; decoding them directly keeps names
        // that are not valid UTF-8 intact.
        if (url.isLocalFile())
            paths.push_back(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString());
    }
    if (paths.empty())
        return;
    event->acceptProposedAction();
    if (dropHandler_)
        dropHandler_(paths, mapToGlobal(event->position().toPoint()));
}

} // namespace pelldrake
