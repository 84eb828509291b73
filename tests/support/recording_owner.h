#pragma once

#include "board/board_owner.h"

#include <map>
#include <vector>

namespace pelldrake::testing {

// Records what the board model asks of its window.
class RecordingOwner : public BoardOwner {
public:
    void SetControlEnabled(int controlId, bool enabled) override {
        enabled_[controlId] = enabled;
        ++enableCalls;
    }
    void FocusBoard() override { ++focusCalls; }
    void SetScrollState(ListIndex list, int maximum, int position) override {
        scrollMax[list] = maximum;
        scrollPos[list] = position;
    }
    void ShowCurrent(ListIndex list) override { shownCurrent.push_back(list); }
    void ShowTitle(ListIndex list) override { shownTitle.push_back(list); }

    bool IsEnabled(int id) const {
        auto it = enabled_.find(id);
        return it != enabled_.end() && it->second;
    }
    bool Knows(int id) const { return enabled_.count(id) != 0; }

    int enableCalls = 0;
    int focusCalls = 0;
    std::map<ListIndex, int> scrollMax;
    std::map<ListIndex, int> scrollPos;
    std::vector<ListIndex> shownCurrent;
    std::vector<ListIndex> shownTitle;

private:
    std::map<int, bool> enabled_;
};

} // namespace pelldrake::testing
