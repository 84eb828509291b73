#pragma once

#include "resources/dialog_template.h"

#include <QStringList>
#include <vector>

namespace pelldrake {

namespace file_list_ids {
inline constexpr int kShownList = 1400;
inline constexpr int kRows = 1401;
inline constexpr int kMoveTarget = 1402;
inline constexpr int kMoveGroup = 1404;
} // namespace file_list_ids

// The file list window (dialog 161).
const DialogTemplate& FileListTemplate();

struct ReportColumn {
    const char* header;
    int width; // pixels
};
const std::vector<ReportColumn>& FileListColumns();

// "未分類リストの一覧", "分類リスト1の一覧" … "分類リスト10の一覧".
QStringList ShownListItems();
// "未分類リストへ移動", "分類リスト1へ移動" … "分類リスト10へ移動", "除外する".
QStringList MoveTargetItems();

} // namespace pelldrake
