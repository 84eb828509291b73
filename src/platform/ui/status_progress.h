#pragma once

#include "core/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>

class QLabel;

namespace pelldrake {

// Shows a long file operation's progress on a status line and lets the window repaint while the
// operation holds the user-interface thread. Keys and clicks wait until it is done: the lists
// change only at its end. Reports come far more often than a person reads; one in each interval
// is shown.
class StatusProgress : public ProgressSink {
public:
    explicit StatusProgress(QLabel* statusLine) : statusLine_(statusLine) {}

    void Report(std::size_t done, std::size_t total, std::string_view at) override;

    // Puts back the status line's text of before the first report, unless someone else has
    // changed it since; the next report starts a new operation.
    void Finish() override;

    // "ファイルを探しています… 12 個", or "3 / 40  " and the file.
    static QString TextOf(std::size_t done, std::size_t total, std::string_view at);

private:
    // Often enough that the window never looks hung, rarely enough to cost nothing.
    static constexpr int kIntervalMs = 50;

    QPointer<QLabel> statusLine_;
    QElapsedTimer sinceShown_;
    QString before_;
    QString shown_;
    bool running_ = false;
};

} // namespace pelldrake
