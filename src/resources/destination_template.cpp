#include "resources/destination_template.h"

#include "resources/control_ids.h"

namespace pelldrake {

const DialogTemplate& DestinationTemplate() {
    static const DialogTemplate destination{
        108,
        "移動先の選択",
        {202, 107},
        {
            {1300, ControlKind::TabBar, "", QRect(4, 4, 194, 13)},
            {-1, ControlKind::TabPanel, "", QRect(4, 17, 194, 65)},
            {1302, ControlKind::FirstRadioButton, "ファイルを削除する(&D)", QRect(12, 23, 110, 10)},
            {1303, ControlKind::RadioButton, "ファイルを移動する(&M)", QRect(12, 36, 110, 10)},
            {1307, ControlKind::EditableComboBox, "", QRect(22, 49, 132, 13)},
            {1308, ControlKind::PushButton, "参照(&B)", QRect(158, 48, 34, 14)},
            {1309, ControlKind::CheckBox, "元のファイルも残す", QRect(22, 66, 110, 10)},
            {1304, ControlKind::FirstRadioButton, "分類リストのリセット(&R)", QRect(12, 23, 120, 10)},
            {1305, ControlKind::RadioButton, "クリップボードに入れる(&C)", QRect(12, 36, 120, 10)},
            {1306, ControlKind::RadioButton, "分類リストを移動する(&L)", QRect(12, 49, 120, 10)},
            {1301, ControlKind::DropDownList, "", QRect(22, 63, 110, 13)},
            {ids::kOk, ControlKind::DefaultButton, "実行", QRect(94, 87, 50, 14)},
            {ids::kCancel, ControlKind::PushButton, "ｷｬﾝｾﾙ", QRect(148, 87, 50, 14)},
        }};
    return destination;
}

} // namespace pelldrake
