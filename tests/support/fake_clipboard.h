#pragma once

#include "platform/clipboard.h"

namespace pelldrake::testing {

// A clipboard in memory that can be made unusable, as one held by another program is.
class FakeClipboard : public Clipboard {
public:
    bool Place(std::unique_ptr<QMimeData> contents) override {
        if (!usable)
            return false;
        this->contents = std::move(contents);
        return true;
    }
    const QMimeData* Contents() override { return usable ? contents.get() : nullptr; }

    bool usable = true;
    std::unique_ptr<QMimeData> contents = std::make_unique<QMimeData>();
};

} // namespace pelldrake::testing
