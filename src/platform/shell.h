#pragma once

#include "core/types.h"

#include <QString>

namespace pelldrake {

// Requests to the desktop: open a file with the program it belongs to, or in the web browser.
// Failures are not reported; the desktop shows its own error if it has one.
class Shell {
public:
    virtual ~Shell() = default;
    virtual void OpenFile(const FilePath& path) = 0;
    virtual void OpenInBrowser(const FilePath& path) = 0;
};

class DesktopShell final : public Shell {
public:
    void OpenFile(const FilePath& path) override;
    // $BROWSER, else x-www-browser, else xdg-open; the path is one argument, never a shell line.
    void OpenInBrowser(const FilePath& path) override;

    static QString BrowserProgram();
};

} // namespace pelldrake
