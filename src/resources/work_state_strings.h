#pragma once

// The texts of saving and loading the work state.
namespace pelldrake::strings {

inline constexpr const char* kWorkStateEntry = "Pelldrakeデータ(*.PLD)";
inline constexpr const char* kWorkStatePatterns = "*.pld";
inline constexpr const char* kTextFilesEntry = "テキスト(*.txt)";
inline constexpr const char* kTextFilesPatterns = "*.txt";
inline constexpr const char* kEveryFileEntry = "すべて(*.*)";
inline constexpr const char* kEveryFilePatterns = "*.*";
inline constexpr const char* kWorkStateSuffix = "PLD";

inline constexpr const char* kWorkStateCannotCreate = "ファイルが書き込みオープンできません。";
inline constexpr const char* kWorkStateWriteError =
    "ファイル書き込み中にエラーが発生しました。\r\nデータの書込みは異常終了しています。\r\n";
inline constexpr const char* kWorkStateLoadTitle = "作業状態の読込み";
inline constexpr const char* kWorkStateDiscardQuestion = "現在の作業状態を破棄しますか？";
inline constexpr const char* kWorkStateCannotOpen = "ファイルを開くことができません";
inline constexpr const char* kWorkStateInvalid = "データが不正です。";
inline constexpr const char* kWorkStateReadError = "データの読み込み中にエラーが発生しました";
inline constexpr const char* kWorkStateMissingFile =
    "ファイル %s がみつかりません。\r\nすでに移動または削除された可能性があります。\r\n"
    "キャンセルで停止、「いいえ」で次から警告しません。";
// %1: the names, one per line; %2: the line that counts the names left unshown, or nothing.
inline constexpr const char* kWorkStateUnrecordable =
    "次のファイルは名前に改行を含むため、作業状態ファイルに記録できません。\r\n\r\n%1%2\r\n"
    "これらのファイルを除いて保存しますか？";
inline constexpr const char* kWorkStateUnrecordableMore = "ほか %1 件\r\n";
inline constexpr const char* kWorkStateLoadProgress = "作業状態を読み込んでいます…";
inline constexpr const char* kWorkStateLoadStop = "中止";

} // namespace pelldrake::strings
