#pragma once

#include "core/types.h"

#include <QString>
#include <vector>

namespace pelldrake {

namespace destination_ids {
inline constexpr int kTabs = 1300;
inline constexpr int kTarget = 1301;
inline constexpr int kDelete = 1302;
inline constexpr int kMove = 1303;
inline constexpr int kReset = 1304;
inline constexpr int kClipboard = 1305;
inline constexpr int kMoveToList = 1306;
inline constexpr int kFolder = 1307;
inline constexpr int kBrowse = 1308;
inline constexpr int kKeepSource = 1309;
} // namespace destination_ids

enum class DestinationPage { Files = 0, Entries = 1 };
enum class FileAction { Delete = 0, Move = 1 };
enum class ListAction { Reset = 0, Clipboard = 1, MoveToList = 2 };

// The second page's targets beyond the lists 0 … 10.
inline constexpr int kTargetReset = 11;
inline constexpr int kTargetClipboard = 12;
inline constexpr int kTargetCount = 13;

// What the destination dialog remembers between runs.
struct DestinationFields {
    ListIndex list = kUnclassified;
    DestinationPage page = DestinationPage::Files;
    FileAction fileAction = FileAction::Move;
    ListAction listAction = ListAction::MoveToList;
    int target = 0;
    bool keepSource = false;
    FilePath folder;
};

// What the caller acts on after "実行": an empty folder on the first page means delete; on the
// second page the target is a list, kTargetReset or kTargetClipboard.
struct DestinationChoice {
    DestinationPage page = DestinationPage::Files;
    FilePath folder;
    bool keepSource = false;
    int target = 0;
};

struct ControlState {
    int id;
    bool visible;
    bool enabled;
};

// Which controls the page shows and which the chosen actions enable.
std::vector<ControlState> DestinationControlStates(const DestinationFields& fields);

// The target a second-page OK reports: reset and clipboard override the combo's selection.
int EntriesTarget(ListAction action, int selectedTarget);

QString DestinationTitle(ListIndex list);
// The target combo's items, index = target.
std::vector<QString> TargetItems();

} // namespace pelldrake
