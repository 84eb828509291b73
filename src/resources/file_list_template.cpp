#include "resources/file_list_template.h"

#include "core/types.h"
#include "resources/control_ids.h"

namespace pelldrake {

const DialogTemplate& FileListTemplate() {
    using namespace file_list_ids;
    static const DialogTemplate fileList{
        161,
        "ファイルリスト",
        {202, 259},
        {{kShownList, ControlKind::DropDownList, "", QRect(7, 7, 188, 94)},
         {kRows, ControlKind::ReportView, "", QRect(7, 25, 188, 176)},
         {kMoveGroup, ControlKind::GroupBox, "選択ファイルの移動", QRect(7, 206, 188, 32)},
         {kMoveTarget, ControlKind::DropDownList, "", QRect(22, 217, 121, 81)},
         {ids::kOk, ControlKind::DefaultButton, "移動", QRect(145, 217, 41, 14)},
         {ids::kCancel, ControlKind::PushButton, "終了", QRect(145, 241, 50, 14)}}};
    return fileList;
}

const std::vector<ReportColumn>& FileListColumns() {
    static const std::vector<ReportColumn> columns{{"ファイル名", 100}, {"拡張子", 50}, {"パス", 400}};
    return columns;
}

namespace {

QStringList PerList(const char* unclassified, const char* classFormat) {
    QStringList items{QString::fromUtf8(unclassified)};
    for (ListIndex n = 1; n < kListCount; ++n)
        items << QString::fromUtf8(classFormat).arg(n);
    return items;
}

} // namespace

QStringList ShownListItems() {
    return PerList("未分類リストの一覧", "分類リスト%1の一覧");
}

QStringList MoveTargetItems() {
    return PerList("未分類リストへ移動", "分類リスト%1へ移動") << QString::fromUtf8("除外する");
}

} // namespace pelldrake
