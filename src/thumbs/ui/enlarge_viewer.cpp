#include "thumbs/ui/enlarge_viewer.h"

#include "board/board.h"
#include "platform/shell.h"
#include "resources/strings.h"
#include "thumbs/compare_plan.h"
#include "thumbs/ui/compare_cells.h"
#include "thumbs/ui/enlarge_view.h"
#include "thumbs/ui/enlarge_window.h"

#include <QAbstractButton>

namespace pelldrake {

EnlargeViewer::EnlargeViewer(SettingsFile settings, Shell& shell)
    : settings_(std::move(settings)), shell_(shell), browserMode_(settings_.UseBrowser() != 0) {}

EnlargeViewer::~EnlargeViewer() {
    DetachBoard();
}

EnlargeWindow* EnlargeViewer::window() const {
    return window_.data();
}

bool EnlargeViewer::AttachBoard(QWidget* board, const EnlargeButtons& buttons) {
    buttons_ = buttons;
    shownList_ = kNoList;
    if (browserMode_)
        return true;
    window_ = new EnlargeWindow(board, settings_);
    overlays_ = PictureOverlays{settings_.ExpandViewInfo(), settings_.ExpandViewHistogram()};
    window_->SetOverlays(overlays_);
    QObject::connect(window_.data(), &EnlargeWindow::closeRequested, window_.data(),
                     [this] { ShowList(kNoList, std::nullopt); });
    return window_ != nullptr;
}

void EnlargeViewer::DetachBoard() {
    if (!window_)
        return;
    window_->SaveGeometry();
    delete window_.data();
}

void EnlargeViewer::ShowList(int list, const std::optional<FilePath>& path) {
    if (browserMode_) {
        if (path && !path->empty())
            shell_.OpenInBrowser(*path);
        shownList_ = kNoList;
    } else {
        shownList_ = list;
        if (list >= 0 && window_) {
            window_->setWindowTitle(list == kUnclassified ? strings::Utf8(strings::kEnlargeTitleUnclassified)
                                                          : QString::asprintf(strings::kEnlargeTitleClass, list));
            FollowList(list, path);
        }
        if (window_)
            window_->setVisible(shownList_ >= 0);
    }
    for (int i = 0; i < kListCount; ++i) {
        if (buttons_[static_cast<std::size_t>(i)])
            buttons_[static_cast<std::size_t>(i)]->setChecked(i == shownList_);
    }
}

void EnlargeViewer::FollowList(int list, const std::optional<FilePath>& path) {
    if (browserMode_ || !window_ || list != shownList_)
        return;
    if (!Compares() || !lists_) {
        window_->SetFile(path.value_or(FilePath()));
        return;
    }
    const ComparePlan plan = PlanCompare(lists_->List(list), compareCells_, pinned_);
    if (!plan.pinned)
        pinned_.reset();
    window_->SetFiles(plan);
}

void EnlargeViewer::ReadAhead(const FilePathList& neighbours) {
    if (!window_ || shownList_ == kNoList)
        return;
    if (Compares())
        window_->cells()->ReadAheadNext(window_->cells()->plan().nextAfterLast);
    else
        window_->thumbnail()->ReadAhead(neighbours);
}

void EnlargeViewer::ShowAgain() {
    const ClassList& list = lists_->List(shownList_);
    FollowList(shownList_, list.HasCurrent() ? list.At(list.position()) : FilePath());
    if (readAhead_ && list.HasCurrent())
        ReadAhead(lists_->ReadAheadOf(shownList_));
}

void EnlargeViewer::ToggleCompare() {
    if (!window_ || shownList_ == kNoList || !lists_)
        return;
    // Read at every toggle, so that a hand edit takes effect without a restart.
    compareCells_ = Compares() ? 1 : settings_.CompareCells();
    pinned_.reset();
    window_->SetCellCount(compareCells_);
    ShowAgain();
}

void EnlargeViewer::TogglePin() {
    if (!window_ || shownList_ == kNoList || !lists_ || !Compares())
        return;
    const ClassList& list = lists_->List(shownList_);
    if (pinned_ || !list.HasCurrent())
        pinned_.reset();
    else
        pinned_ = list.At(list.position());
    ShowAgain();
}

void EnlargeViewer::EnlargeCommand(int list, const Board& board, bool readAhead) {
    lists_ = &board;
    readAhead_ = readAhead;
    if (list == shownList_)
        list = kNoList;
    std::optional<FilePath> path;
    if (list >= 0) {
        const ClassList& classList = board.List(list);
        path = classList.HasCurrent() ? classList.At(classList.position()) : FilePath();
    }
    ShowList(list, path);
    if (readAhead && window_ && shownList_ != kNoList && path && !path->empty())
        ReadAhead(board.ReadAheadOf(list));
}

void EnlargeViewer::ToggleActualSize() {
    if (window_ && shownList_ != kNoList)
        window_->view()->ToggleActualSize();
}

bool EnlargeViewer::ShowsActualSize() const {
    return window_ && shownList_ != kNoList && window_->view()->zoom() == 1.0;
}

void EnlargeViewer::ToggleShootingInfo() {
    overlays_.shootingInfo = !overlays_.shootingInfo;
    settings_.WriteExpandViewInfo(overlays_.shootingInfo);
    if (window_)
        window_->SetOverlays(overlays_);
}

void EnlargeViewer::ToggleHistogram() {
    overlays_.histogram = !overlays_.histogram;
    settings_.WriteExpandViewHistogram(overlays_.histogram);
    if (window_)
        window_->SetOverlays(overlays_);
}

void EnlargeViewer::Pan(int right, int down) {
    if (window_ && shownList_ != kNoList)
        window_->view()->PanQuarter(right, down);
}

} // namespace pelldrake
