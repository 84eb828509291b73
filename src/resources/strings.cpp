#include "resources/strings.h"

namespace pelldrake::strings {

QString Message(int id) {
    switch (id) {
    case kThumbControlMissing:
        return Utf8(
            "サムネイルコントロールが存在しません\r\nこれはQtの画像プラグイン（imageformats の JPEG と PNG）で、\r\n"
            "Pelldrakeのバージョン1.xxにとって必須です。\r\n\r\nこの警告が誤りであるのなら、設定ファ"
            "イルから「STARTCHECK/THUMBCTL」を0にすると以降、チェックを行いません。");
    case kThumbVersionUnreadable:
        return Utf8("サムネイル・コントロールのバージョン情報を読み込むことができませんでした。");
    case kThumbVersionMismatch:
        return Utf8(
            "サムネイルコントロールのバージョンが異なり、このまま継続しても正しく動作しない可能性があります。\r\n中断"
            "してもよろしいですか？\r\n\r\nこの警告が誤りである場合は、設定ファイル「STARTCHECK/"
            "THUMBCTLVER」を変更することでチェックの有無、および可能なバージョンを設定することができます。\r\nこの"
            "システムにあるサムネイル・コントロールのバージョンは%ld,%ld,%ld,%ldです。");
    default:
        return {};
    }
}

} // namespace pelldrake::strings
