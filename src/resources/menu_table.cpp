#include "resources/menu_table.h"

#include "resources/control_ids.h"

namespace pelldrake {

namespace {

const MenuEntry kSeparator{0, nullptr, {}};

// The eleven lists of a submenu, list 0 first; the clipboard submenu writes list 10 its own way.
std::vector<MenuEntry> ListEntries(int firstId, const char* list10 = "分類リスト1&0") {
    static const char* const kNames[] = {"未分類リスト(&N)", "分類リスト&1", "分類リスト&2", "分類リスト&3",
                                         "分類リスト&4",     "分類リスト&5", "分類リスト&6", "分類リスト&7",
                                         "分類リスト&8",     "分類リスト&9"};
    std::vector<MenuEntry> entries;
    for (int i = 0; i < 10; ++i)
        entries.push_back({firstId + i, kNames[i], {}});
    entries.push_back({firstId + 10, list10, {}});
    return entries;
}

std::vector<MenuEntry> WithTail(std::vector<MenuEntry> entries, std::vector<MenuEntry> tail) {
    entries.insert(entries.end(), tail.begin(), tail.end());
    return entries;
}

std::vector<MenuEntry> MakeBoardMenu() {
    using namespace menu_ids;
    return {
        {0,
         "ファイル(&F)",
         {{0,
           "ファイルを未分類リストに登録する(&A)",
           {{kAddFiles, "ファイル単位で追加(&F)", {}}, {kAddFolder, "フォルダを追加(&D)", {}}}},
          {0, "分類リストからフォルダに移動する(&M)", ListEntries(kMoveToFolderFirst)},
          kSeparator,
          {kLoadWorkState, "作業状態を読み込む(&O)", {}},
          {kSaveWorkState, "作業状態の保存(&S)", {}},
          kSeparator,
          {kExtensionFilterDialog, "拡張子フィルタの設定...(&F)", {}},
          {kApplyExtensionFilter, "拡張子フィルタを適用する(&E)", {}},
          kSeparator,
          {kExit, "終了(&X)", {}}}},
        {0,
         "編集(&E)",
         {{kUndo, "元に戻す(&U)", {}},
          {kRedo, "やり直し(&R)", {}},
          kSeparator,
          {kFileList, "ファイルリスト...(&L)", {}},
          {0, "分類リストから別の分類リストに移動(&M)", ListEntries(kMoveToListFirst)},
          kSeparator,
          {kFromClipboard, "クリップボードからファイルを取得(&P)", {}},
          {0, "クリップボードにファイルを設定(&C)", ListEntries(kToClipboardFirst, "分類リスト&10")},
          kSeparator,
          {kClearUnclassified, "未分類リストのクリア(&N)", {}},
          {kClearAll, "すべてクリア(&C)", {}}}},
        {0,
         "ツール(&T)",
         {{0, "ファイルの削除(&D)",
           WithTail(ListEntries(kDeleteFirst), {kSeparator, {kDeleteAll, "すべて削除する(&A)", {}}})},
          kSeparator,
          {kAutoClassify, "条件による自動分類...(&A)", {}},
          kSeparator,
          {kRawJpegPairs, "RAWとJPEGを組にする(&J)", {}},
          {kXmpRatings, "XMPに評価を記録(&X)...", {}}}},
        {0,
         "表示(&V)",
         {{kExpand, "分類リストの拡張(&E)", {}},
          {0, "拡大ウィンドウ", WithTail(ListEntries(kEnlargeFirst), {kSeparator, {kCloseEnlarge, "閉じる(C)", {}}})},
          kSeparator,
          {kActualSize, "等倍表示(&Z)", {}},
          {kCompare, "比較表示(&C)", {}},
          {kPinFirst, "基準に固定(&P)", {}},
          {kShootingInfo, "撮影情報(&I)", {}},
          {kHistogram, "ヒストグラム(&H)", {}}}},
        {0, "ヘルプ(&H)", {{kHelpContents, "ヘルプ(&H)", {}}, {kAbout, "バージョン情報(&A)", {}}}},
    };
}

} // namespace

const std::vector<MenuEntry>& BoardMenu() {
    static const std::vector<MenuEntry> menu = MakeBoardMenu();
    return menu;
}

} // namespace pelldrake
