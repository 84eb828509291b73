#pragma once

#include <QString>

namespace pelldrake {

// The HTML help file beside the program. A control's topic is marked by an anchor with the
// control's id (id="1090") standing before the topic's heading; several anchors may share one.
class HelpFile {
public:
    explicit HelpFile(QString path) : path_(std::move(path)) {}

    // The help file for an executable: same folder and base name, ".html".
    static QString PathFor(const QString& executablePath);

    const QString& path() const { return path_; }

    // The topic (HTML from its heading to the next heading) for an anchor; empty when missing.
    QString Topic(const QString& anchor) const;

private:
    QString path_;
};

} // namespace pelldrake
