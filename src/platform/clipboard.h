#pragma once

#include <QMimeData>
#include <memory>

namespace pelldrake {

// The system clipboard. The program places whole contents and looks at what is there; tests use
// a double that can also refuse, as a clipboard held by another program would.
class Clipboard {
public:
    virtual ~Clipboard() = default;

    // Replaces the contents. False when the clipboard cannot be used: nothing was placed.
    virtual bool Place(std::unique_ptr<QMimeData> contents) = 0;

    // The current contents, owned by the clipboard and valid until it changes; nullptr when the
    // clipboard cannot be used. An empty clipboard gives contents without formats.
    virtual const QMimeData* Contents() = 0;
};

} // namespace pelldrake
