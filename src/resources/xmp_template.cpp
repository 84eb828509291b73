#include "resources/xmp_template.h"

#include "resources/control_ids.h"

namespace pelldrake {

const DialogTemplate& XmpTemplate() {
    using K = ControlKind;
    static const DialogTemplate xmp{
        170,
        "XMPに評価を記録",
        {200, 139},
        {{-1, K::Static, "対象のリスト", QRect(7, 9, 50, 8)},
         {xmp_ids::kList, K::DropDownList, "", QRect(62, 7, 80, 150)},
         {-1, K::Static, "評価", QRect(7, 27, 50, 8)},
         {xmp_ids::kRating, K::DropDownList, "", QRect(62, 25, 80, 120)},
         {-1, K::Static, "ラベル", QRect(7, 45, 50, 8)},
         {xmp_ids::kLabel, K::DropDownList, "", QRect(62, 43, 80, 120)},
         {-1, K::GroupBox, "サイドカー", QRect(7, 62, 186, 50)},
         {xmp_ids::kBaseNameForm, K::FirstRadioButton, "NAME.xmp（Lightroom 形式）", QRect(14, 74, 170, 10)},
         {xmp_ids::kFullNameForm, K::RadioButton, "NAME.EXT.xmp（darktable 形式）", QRect(14, 86, 170, 10)},
         {xmp_ids::kBothForms, K::RadioButton, "両方", QRect(14, 98, 170, 10)},
         {ids::kOk, K::DefaultButton, "実行", QRect(89, 118, 50, 14)},
         {ids::kCancel, K::PushButton, "ｷｬﾝｾﾙ", QRect(143, 118, 50, 14)}}};
    return xmp;
}

} // namespace pelldrake
