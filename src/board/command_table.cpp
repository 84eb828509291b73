#include "board/command_table.h"

namespace pelldrake {

void CommandTable::Add(int first, int last, Handler handler) {
    routes_.push_back({first, last, std::move(handler)});
}

const CommandTable::Route* CommandTable::Find(int id) const {
    // The latest route wins, so a later subsystem can take over an id.
    for (auto route = routes_.rbegin(); route != routes_.rend(); ++route) {
        if (id >= route->first && id <= route->last)
            return &*route;
    }
    return nullptr;
}

bool CommandTable::Run(int id) const {
    const Route* route = Find(id);
    if (!route)
        return false;
    route->handler(id);
    return true;
}

} // namespace pelldrake
