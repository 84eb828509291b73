#include "disposal/destination_fields.h"

#include "resources/disposal_strings.h"
#include "resources/strings.h"

namespace pelldrake {

std::vector<ControlState> DestinationControlStates(const DestinationFields& fields) {
    using namespace destination_ids;
    const bool files = fields.page == DestinationPage::Files;
    const bool moving = fields.fileAction == FileAction::Move;
    const bool toList = fields.listAction == ListAction::MoveToList;
    return {
        {kDelete, files, true},     {kMove, files, true},         {kFolder, files, moving},
        {kBrowse, files, moving},   {kKeepSource, files, moving}, {kReset, !files, true},
        {kClipboard, !files, true}, {kMoveToList, !files, true},  {kTarget, !files, toList},
    };
}

int EntriesTarget(ListAction action, int selectedTarget) {
    switch (action) {
    case ListAction::Reset:
        return kTargetReset;
    case ListAction::Clipboard:
        return kTargetClipboard;
    case ListAction::MoveToList:
        break;
    }
    return selectedTarget;
}

QString DestinationTitle(ListIndex list) {
    if (list == kUnclassified)
        return strings::Utf8(strings::kDestinationTitleUnclassified);
    return QString::asprintf(strings::kDestinationTitleClass, list);
}

std::vector<QString> TargetItems() {
    std::vector<QString> items{strings::Utf8(strings::kTargetUnclassified)};
    for (ListIndex list = 1; list < kListCount; ++list)
        items.push_back(QString::asprintf(strings::kTargetClass, list));
    items.push_back(strings::Utf8(strings::kTargetExclude));
    items.push_back(strings::Utf8(strings::kTargetClipboard));
    return items;
}

} // namespace pelldrake
