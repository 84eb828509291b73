#include "resources/side_dialog_templates.h"

#include "resources/control_ids.h"

namespace pelldrake {

const DialogTemplate& InitialSettingsTemplate() {
    using K = ControlKind;
    static const DialogTemplate settings{
        100,
        "Pelldrakeのﾊﾞｰｼﾞｮﾝ情報",
        {235, 153},
        {{-1, K::Icon, "", QRect(7, 7, 20, 20)},
         {-1, K::Static, "Pelldrake Version 1.8", QRect(40, 10, 119, 8)},
         {-1, K::GroupBox, "初期設定", QRect(7, 40, 218, 107)},
         {-1, K::Static, "次回の起動時に有効になります。", QRect(10, 50, 210, 10)},
         {1408, K::FirstRadioButton, "小さいサムネイルのメイン画面", QRect(15, 65, 125, 10)},
         {1409, K::RadioButton, "中サイズのサムネイルのメイン画面", QRect(15, 75, 125, 10)},
         {1410, K::RadioButton, "最大サイズのサムネイルのメイン画面", QRect(15, 85, 125, 10)},
         {1411, K::CheckBox, "拡大ボタンで画像をIEで表示する", QRect(14, 97, 198, 10)},
         {-1, K::EtchedLine, "", QRect(13, 112, 209, 1)},
         {1412, K::CheckBox, "フォルダ指定時にthumbs.dbがあれば削除する", QRect(14, 119, 157, 10)},
         {1407, K::CheckBox, "フォルダ指定時にカレントディレクトリを使用する", QRect(14, 132, 200, 10)},
         {ids::kOk, K::DefaultButton, "OK", QRect(178, 7, 50, 14)}}};
    return settings;
}

const DialogTemplate& AutoClassifyTemplate() {
    using K = ControlKind;
    static const DialogTemplate classify{
        107,
        "特定ファイルの一括分類",
        {179, 273},
        {{-1, K::GroupBox, "対象ファイル", QRect(7, 7, 81, 53)},
         {1233, K::FirstRadioButton, "すべてのリストから", QRect(14, 18, 70, 10)},
         {1234, K::RadioButton, "次のリストから", QRect(14, 30, 68, 10)},
         {1235, K::DropDownList, "", QRect(26, 42, 54, 95)},
         {-1, K::GroupBox, "送り先", QRect(91, 7, 81, 53)},
         {1236, K::FirstRadioButton, "未分類リストへ", QRect(97, 17, 60, 10)},
         {1237, K::RadioButton, "次のリストへ", QRect(97, 29, 54, 12)},
         {1238, K::DropDownList, "", QRect(107, 41, 54, 95)},
         {-1, K::GroupBox, "つぎの条件に当てはまるファイルを対象とする", QRect(7, 65, 165, 183)},
         {1239, K::CheckBox, "ファイル名のフィルタ（ワイルドカードの使用可）", QRect(14, 78, 149, 10)},
         {1240, K::Edit, "", QRect(26, 92, 125, 14)},
         {-1, K::GroupBox, "ファイル・サイズの範囲", QRect(13, 112, 155, 32)},
         {1241, K::CheckBox, "下限値", QRect(19, 125, 35, 10)},
         {1242, K::Edit, "", QRect(58, 123, 31, 14)},
         {1243, K::CheckBox, "上限値", QRect(97, 125, 35, 10)},
         {1244, K::Edit, "", QRect(132, 122, 30, 14)},
         {-1, K::GroupBox, "ファイル更新日付の範囲", QRect(13, 150, 152, 44)},
         {1246, K::CheckBox, "右日付以降", QRect(19, 163, 56, 10)},
         {1245, K::DatePicker, "", QRect(77, 161, 55, 13)},
         {1248, K::CheckBox, "右日付まで", QRect(19, 177, 56, 10)},
         {1247, K::DatePicker, "", QRect(77, 176, 54, 13)},
         // The decisions left in the files, below the dates; the dialog grew by this group's height.
         {-1, K::GroupBox, "", QRect(13, 198, 152, 44)},
         {ids::kRatingFilterOn, K::CheckBox, "評価で絞り込む", QRect(19, 211, 72, 10)},
         {ids::kRatingFilter, K::DropDownList, "", QRect(94, 209, 66, 95)},
         {ids::kLabelFilterOn, K::CheckBox, "ラベルで絞り込む", QRect(19, 225, 72, 10)},
         {ids::kLabelFilter, K::DropDownList, "", QRect(94, 224, 66, 95)},
         {ids::kOk, K::DefaultButton, "実行", QRect(63, 252, 50, 14)},
         {ids::kCancel, K::PushButton, "キャンセル", QRect(115, 252, 50, 14)}}};
    return classify;
}

} // namespace pelldrake
