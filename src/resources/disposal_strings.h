#pragma once

// The texts of disposing of a list: the destination dialog and the file operations.
namespace pelldrake::strings {

inline constexpr const char* kDestinationTitleUnclassified = "未分類リストの移動先の選択";
inline constexpr const char* kDestinationTitleClass = "分類リスト%dの移動先の選択";
inline constexpr const char* kFilesPage = "ファイルの移動";
inline constexpr const char* kEntriesPage = "分類リストの移動";
inline constexpr const char* kTargetUnclassified = "未分類リストへ";
inline constexpr const char* kTargetClass = "分類%dリストへ";
inline constexpr const char* kTargetExclude = "除外する";
inline constexpr const char* kTargetClipboard = "クリップボードへ";
inline constexpr const char* kPathIsFile = "指定されたパスはすでにファイルとして存在するため使用できません";
inline constexpr const char* kCreateFolderQuestion = "ディレクトリを作成しますか？";
inline constexpr const char* kCreateFolderFailed = "ディレクトリ %1 を作成できませんでした。\r\n%2";

inline constexpr const char* kSourceMissing = "コピー元 %sはPelldrake作業中に移動したか削除されています。";
inline constexpr const char* kOverwriteQuestion =
    "コピー元 %s\r\nコピー先 %s\r\nコピー先に、すでにファイルが存在します。\r\n上書きしますか？";
inline constexpr const char* kCopyFailedQuestion =
    "コピー元 %s\r\nコピー先 %s\r\nコピーに失敗しました。\r\nこのファイルを未整理リストに戻しますか？";
inline constexpr const char* kTrashFailed =
    "次のファイルはごみ箱に移動できなかったため、元の場所に残っています。\r\n%1";
inline constexpr const char* kTrashFailedMore = "ほか %1 個のファイル";
inline constexpr const char* kSidecarsLeft =
    "次の付随ファイルは画像と一緒に移動またはコピーできなかったため、元の場所に残っています。\r\n%1";
inline constexpr const char* kUndoFailed = "元に戻せなかったファイルがあります。\r\n%1";
inline constexpr const char* kSourcesKept =
    "移動元から削除できなかったファイルがあります（コピーは作成されました）。\r\n%1";

// Why a folder could not be made, for the errors a user can do something about.
inline constexpr const char* kReasonNoPermission = "アクセスが拒否されました。";
inline constexpr const char* kReasonReadOnly = "読み取り専用のファイルシステムです。";
inline constexpr const char* kReasonDiskFull = "ディスクの空き容量が足りません。";
inline constexpr const char* kReasonNameTooLong = "名前が長すぎます。";
inline constexpr const char* kReasonNotFolder = "パスの途中にフォルダではないファイルがあります。";
inline constexpr const char* kReasonInvalidName = "名前が正しくありません。";

} // namespace pelldrake::strings
