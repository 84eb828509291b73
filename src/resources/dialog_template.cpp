#include "resources/dialog_template.h"

#include "core/types.h"
#include "resources/control_ids.h"

#include <algorithm>
#include <array>

namespace pelldrake {

namespace {

// What the three board sizes give; every other rectangle follows from these.
struct BoardGeometry {
    int templateId;
    QSize window;
    QRect unclassifiedBox;
    QSize unclassifiedThumb;
    QSize classBox;
    QSize classThumb;
    std::array<QPoint, 10> panes; // group box of list 1 … 10
    QPoint marker;
    bool panesToTheLeft8; // pane 8 stands left of the unclassified pane's centre line
    bool collapsedEdgeLines;
};

const BoardGeometry kSmall{
    102,
    {431, 315},
    {102, 7, 121, 178},
    {100, 130},
    {93, 95},
    {73, 68},
    {{{5, 5}, {5, 105}, {230, 5}, {230, 105}, {330, 5}, {330, 105}, {5, 210}, {115, 210}, {230, 210}, {330, 210}}},
    {323, 201},
    false,
    true};
const BoardGeometry kMedium{
    103,
    {574, 385},
    {125, 5, 193, 223},
    {168, 176},
    {115, 120},
    {95, 85},
    {{{5, 5}, {5, 130}, {330, 5}, {330, 130}, {450, 5}, {450, 130}, {5, 258}, {135, 258}, {330, 256}, {450, 256}}},
    {440, 249},
    false,
    false};
const BoardGeometry kLargest{
    162,
    {659, 435},
    {150, 5, 205, 245},
    {185, 194},
    {140, 135},
    {120, 110},
    {{{5, 5}, {5, 145}, {360, 5}, {360, 145}, {510, 5}, {510, 145}, {5, 290}, {160, 290}, {360, 290}, {510, 290}}},
    {500, 280},
    true,
    false};

constexpr int kFrameInset = 5;   // group box edge to its thumbnail
constexpr int kTitleHeight = 10; // group box top to its thumbnail
constexpr int kScrollWidth = 10; // vertical scroll bar
constexpr int kGap = 1;          // between neighbouring controls
constexpr int kMaxButtonHeight = 14;

// Buttons side by side filling a width, each given a share by its weight.
void AddButtonRow(std::vector<ControlTemplate>& out, const std::vector<ControlTemplate>& buttons,
                  const std::vector<int>& weights, int x, int y, int width, int height) {
    int totalWeight = 0;
    for (int weight : weights)
        totalWeight += weight;
    const int usable = width - kGap * static_cast<int>(buttons.size() - 1);
    int left = x;
    int usedWeight = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        usedWeight += weights[i];
        const int right = x + usable * usedWeight / totalWeight + kGap * static_cast<int>(i);
        ControlTemplate button = buttons[i];
        button.rect = QRect(left, y, right - left, height);
        out.push_back(button);
        left = right + kGap;
    }
}

bool ArrowsPointRight(ListIndex list, const BoardGeometry& geometry) {
    return list == 1 || list == 2 || list == 7 || (list == 8 && geometry.panesToTheLeft8);
}

void AddClassPane(std::vector<ControlTemplate>& out, ListIndex list, const BoardGeometry& geometry) {
    static const std::array<const char*, 11> kPaneCaptions{
        "未分類ファイル", "分類1", "分類2", "分類3", "分類4", "分類5", "分類6", "分類7", "分類8", "分類9", "分類10"};
    static const std::array<const char*, 11> kNumberCaptions{"",   "&1", "&2", "&3", "&4", "&5",
                                                             "&6", "&7", "&8", "&9", "&0"};
    const QPoint origin = geometry.panes[static_cast<std::size_t>(list - 1)];
    const QRect box(origin, geometry.classBox);
    const QSize thumb = geometry.classThumb;
    out.push_back({ids::GroupBox(list), ControlKind::GroupBox, kPaneCaptions[static_cast<std::size_t>(list)], box});
    const QRect thumbRect(box.left() + kFrameInset, box.top() + kTitleHeight, thumb.width(), thumb.height());
    out.push_back({ids::Thumbnail(list), ControlKind::Thumbnail, "", thumbRect});
    out.push_back({ids::ScrollBar(list), ControlKind::VerticalScrollBar, "",
                   QRect(thumbRect.right() + 1 + kGap, thumbRect.top(), kScrollWidth, thumb.height())});

    const bool right = ArrowsPointRight(list, geometry);
    std::vector<ControlTemplate> row{
        {ids::Enlarge(list), ControlKind::PushLikeCheckBox, "拡", {}},
        {ids::Dispose(list), ControlKind::PushButton, "移動", {}},
        {ids::MoveAll(list), ControlKind::PushButton, right ? ">>" : "<<", {}},
        {ids::MoveOne(list), ControlKind::PushButton, right ? ">" : "<", {}},
        {ids::NumberButton(list), ControlKind::PushButton, kNumberCaptions[static_cast<std::size_t>(list)], {}},
    };
    std::vector<int> weights{14, 20, 14, 12, 14};
    // Pane 8 keeps the left-hand order in every layout; only its arrows follow its place.
    if (!right && list != 8) {
        std::reverse(row.begin(), row.end());
        std::reverse(weights.begin(), weights.end());
    }
    const int rowTop = thumbRect.bottom() + 1 + 2;
    const int rowHeight = std::min(kMaxButtonHeight, box.bottom() + 1 - rowTop - 2);
    AddButtonRow(out, row, weights, box.left() + kFrameInset, rowTop, box.width() - 2 * kFrameInset, rowHeight);
}

void AddUnclassifiedPane(std::vector<ControlTemplate>& out, const BoardGeometry& geometry) {
    const QRect box = geometry.unclassifiedBox;
    const QSize thumb = geometry.unclassifiedThumb;
    out.push_back({ids::GroupBox(0), ControlKind::GroupBox, "未分類ファイル", box});
    const QRect thumbRect(box.left() + kFrameInset, box.top() + kTitleHeight, thumb.width(), thumb.height());
    out.push_back({ids::Thumbnail(0), ControlKind::Thumbnail, "", thumbRect});
    out.push_back({ids::ScrollBar(0), ControlKind::VerticalScrollBar, "",
                   QRect(thumbRect.right() + 1 + kGap, thumbRect.top(), kScrollWidth, thumb.height())});
    const int innerWidth = box.width() - 2 * kFrameInset;
    const QRect status(box.left() + kFrameInset, thumbRect.bottom() + 1 + 2, innerWidth, 10);
    out.push_back({ids::kStatusLine, ControlKind::StatusLine, "", status});

    const int rowsTop = status.bottom() + 1 + 2;
    const int rowHeight = std::min(kMaxButtonHeight, (box.bottom() + 1 - rowsTop - 2 - kGap) / 2);
    AddButtonRow(out,
                 {{ids::Enlarge(0), ControlKind::PushLikeCheckBox, "拡大", {}},
                  {ids::Dispose(0), ControlKind::PushButton, "移動(&M)", {}},
                  {ids::kOpen, ControlKind::PushButton, "開く(&O)", {}},
                  {ids::kExclude, ControlKind::PushButton, "除外", {}}},
                 {22, 30, 29, 29}, box.left() + kFrameInset, rowsTop, innerWidth, rowHeight);
    AddButtonRow(out,
                 {{ids::kListButton, ControlKind::PushButton, "リスト(&L)", {}},
                  {ids::kCancel, ControlKind::PushButton, "閉じる", {}},
                  {ids::kExpandToggle, ControlKind::PushLikeCheckBox, "拡張 &>>", {}}},
                 {36, 30, 34}, box.left() + kFrameInset, rowsTop + rowHeight + kGap, innerWidth, rowHeight);
}

DialogTemplate MakeBoardTemplate(const BoardGeometry& geometry) {
    DialogTemplate board{geometry.templateId, "イメージ分類", geometry.window, {}};
    AddUnclassifiedPane(board.controls, geometry);
    for (ListIndex list = 1; list < kListCount; ++list)
        AddClassPane(board.controls, list, geometry);
    board.controls.push_back({ids::kCollapsedMarker, ControlKind::Marker, "****", QRect(geometry.marker, QSize(8, 8))});
    if (geometry.collapsedEdgeLines) {
        board.controls.push_back({-1, ControlKind::Line, "", QRect(326, 0, 1, 205)});
        board.controls.push_back({-1, ControlKind::Line, "", QRect(0, 205, 327, 1)});
    }
    return board;
}

} // namespace

const ControlTemplate* DialogTemplate::Find(int controlId) const {
    for (const ControlTemplate& control : controls) {
        if (control.id == controlId)
            return &control;
    }
    return nullptr;
}

LayoutMode LayoutForMode(int mode) {
    switch (mode) {
    case 1:
        return LayoutMode::Medium;
    case 2:
        return LayoutMode::Largest;
    default:
        return LayoutMode::Small;
    }
}

const DialogTemplate& BoardTemplate(LayoutMode mode) {
    static const DialogTemplate small = MakeBoardTemplate(kSmall);
    static const DialogTemplate medium = MakeBoardTemplate(kMedium);
    static const DialogTemplate largest = MakeBoardTemplate(kLargest);
    switch (mode) {
    case LayoutMode::Medium:
        return medium;
    case LayoutMode::Largest:
        return largest;
    case LayoutMode::Small:
        break;
    }
    return small;
}

const DialogTemplate& EnlargeTemplate() {
    static const DialogTemplate enlarge{
        105, "拡大", {165, 181}, {{ids::kEnlargeThumbnail, ControlKind::Thumbnail, "", QRect(0, 0, 165, 181)}}};
    return enlarge;
}

const DialogTemplate& ExtensionFilterTemplate() {
    static const DialogTemplate filter{106,
                                       "拡張子フィルタ",
                                       {127, 113},
                                       {{1230, ControlKind::Edit, "", QRect(3, 4, 84, 14)},
                                        {1229, ControlKind::SortedListBox, "", QRect(3, 20, 84, 90)},
                                        {1232, ControlKind::PushButton, "追加(&A)", QRect(91, 3, 33, 14)},
                                        {1231, ControlKind::PushButton, "変更(&C)", QRect(90, 19, 33, 14)},
                                        {1233, ControlKind::PushButton, "削除(&D)", QRect(90, 35, 33, 14)},
                                        {ids::kOk, ControlKind::DefaultButton, "OK", QRect(91, 77, 33, 14)},
                                        {ids::kCancel, ControlKind::PushButton, "ｷｬﾝｾﾙ", QRect(91, 94, 33, 14)}}};
    return filter;
}

} // namespace pelldrake
