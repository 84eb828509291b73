#pragma once

#include <functional>
#include <vector>

namespace pelldrake {

// Routes command ids, single or in ranges, to their handlers. A handler gets the id it runs for.
class CommandTable {
public:
    using Handler = std::function<void(int id)>;

    void Add(int id, Handler handler) { Add(id, id, std::move(handler)); }
    void Add(int first, int last, Handler handler);

    bool Has(int id) const { return Find(id) != nullptr; }
    // False when no route knows the id.
    bool Run(int id) const;

private:
    struct Route {
        int first;
        int last;
        Handler handler;
    };
    const Route* Find(int id) const;

    std::vector<Route> routes_;
};

} // namespace pelldrake
