#pragma once

#include "platform/clipboard.h"

namespace pelldrake {

// The desktop's clipboard through QClipboard.
class QtClipboard final : public Clipboard {
public:
    bool Place(std::unique_ptr<QMimeData> contents) override;
    const QMimeData* Contents() override;
};

// The one clipboard of the process.
Clipboard& SystemClipboard();

} // namespace pelldrake
