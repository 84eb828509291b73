#pragma once

#include "core/progress.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <memory>

class QProgressDialog;
class QWidget;

namespace pelldrake {

// Passes a long operation's reports on to the window's progress and, once the operation has run
// for half a second, shows a box with "中止" (Esc works as well) so that the user can stop work
// that could otherwise run for minutes: a folder scan that meets a huge tree. While the box shows,
// every other window waits, so nothing can change the lists under the operation.
class StoppableProgress : public ProgressSink {
public:
    StoppableProgress(ProgressSink* inner, QWidget* parent);
    ~StoppableProgress() override;

    void Report(std::size_t done, std::size_t total, std::string_view at) override;
    void Finish() override;
    bool StopRequested() override;

    static constexpr int kShowAfterMs = 500;

private:
    ProgressSink* inner_;
    QPointer<QWidget> parent_;
    QElapsedTimer running_;
    std::unique_ptr<QProgressDialog> box_;
    bool stopped_ = false;
};

} // namespace pelldrake
