#pragma once

#include <QString>

// Every text the user reads, in one place. Formats keep their printf form.
namespace pelldrake::strings {

// String table entries shown in message boxes, by id.
inline constexpr int kThumbControlMissing = 32827;
inline constexpr int kThumbVersionUnreadable = 32829;
inline constexpr int kThumbVersionMismatch = 32830;
QString Message(int id);

inline constexpr const char* kBoardTitle = "イメージ分類";
inline constexpr const char* kUnclassifiedPaneTitle = "未分類(%d/%d)";
inline constexpr const char* kClassPaneTitle = "分類%d(%d/%d)";
inline constexpr const char* kStatusFormat = "%s (%ld%s)";
inline constexpr const char* kStatusKilobytes = "KB";
inline constexpr const char* kStatusUnavailable = "情報取得に失敗";
inline constexpr const char* kEnlargeTitleUnclassified = "拡大ウィンドウ（未分類）";
inline constexpr const char* kEnlargeTitleClass = "拡大ウィンドウ（分類%d）";
inline constexpr const char* kExcludeCaption = "除外";
inline constexpr const char* kExcludeAllCaption = "全除外";
inline constexpr const char* kExcludeReleasedCaption = "除外(&D)";
inline constexpr const char* kUnsavedCloseQuestion =
    "分類済みリストが保存されていません。\r\n終了してもよろしいですか？";
inline constexpr const char* kRecoverQuestion =
    "前回の作業は保存されないまま終了しました。\r\n作業状態を復元しますか？";
// %1: the names the files were kept under, one per line.
inline constexpr const char* kRecoverUnreadable = "前回の作業状態は読み込めないため、復元できませんでした。\r\n"
                                                  "読み込めなかったファイルは次の名前で残してあります。\r\n%1";
inline constexpr const char* kRecoverUnreadableMore = "ほか %1 個のファイル";

// Taking files in.
inline constexpr const char* kExtensionFilterEntry = "拡張子フィルタ";
inline constexpr const char* kImageFilesEntry = "画像ファイル(JPEG/GIF/PNG/BMP)";
inline constexpr const char* kImageFilesPatterns = "*.jpg;*.jpeg;*.gif;*.png;*.bmp;*.heic;*.heif;*.avif;*.jxl";
inline constexpr const char* kAllFilesEntry = "全てのファイル(*.*)";
inline constexpr const char* kAllFilesPatterns = "*.*";
inline constexpr const char* kAddFolderTitle = "追加するファイルのあるフォルダを指定してください";
inline constexpr const char* kSubfolderQuestion = "サブフォルダも対象にしますか？";
inline constexpr const char* kDroppedFolderQuestion =
    "フォルダがドロップされました。\r\nフォルダ内のファイルも含めてますか？";
inline constexpr const char* kDroppedSubfolderQuestion = "サブフォルダ以下も含めますか？";
inline constexpr const char* kDropListQuestion =
    "分類リスト%dにファイルを追加しますか？\r\n「いいえ」を選ぶと未分類リストに追加されます。";

// Refusals that keep the settings file sound.
inline constexpr const char* kImageTooLargeFormat = "大きすぎて表示しません(%d×%d、約%lldMB)";
inline constexpr const char* kPatternControlCharacterRefused =
    "拡張子に改行などの制御文字は使えません。\r\n1行の文字列で入力してください。";

// Progress of a long intake or disposal on the status line.
inline constexpr const char* kProgressFound = "ファイルを探しています… %lld 個";
inline constexpr const char* kProgressStep = "%lld / %lld  ";
inline constexpr const char* kProgressStop = "中止";
// %1: the settings file's path.
inline constexpr const char* kSettingsUnreadable = "設定ファイルを読み込めません。\r\n%1";

inline QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

// Bulk classification: the choices of the source and target lists.
inline constexpr const char* kUnclassifiedChoice = "未分類";
inline constexpr const char* kClassListChoice = "分類リスト%d";
inline constexpr const char* kExcludeChoice = "除外する";
// Bulk classification: the choices of the rating and label conditions, in the order of
// ClassifyConditions' choices.
inline constexpr const char* kRatingChoices[] = {"★1以上", "★2以上",         "★3以上", "★4以上",
                                                 "★5",     "★0（評価なし）", "却下"};
inline constexpr const char* kLabelChoices[] = {"赤", "黄", "緑", "青", "紫", "ラベルなし"};

// Clipboard exchange.
inline constexpr const char* kClipboardUnavailable = "クリップボードは現在使用できません。";
inline constexpr const char* kClipboardClearQuestion =
    "ファイルリストをクリップボードにセットしました。\r\n分類リストをクリアしますか？";
inline constexpr const char* kClipboardUnusableNames = "次のものはファイルとして不正か使用できない状態です。\r\n";

// Beside the histogram over a picture: %1 and %2 the shares of pixels clipped white and black, in percent.
inline constexpr const char* kClippingFormat = "白飛び %1 %  黒つぶれ %2 %";

} // namespace pelldrake::strings
