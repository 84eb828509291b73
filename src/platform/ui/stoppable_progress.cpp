#include "platform/ui/stoppable_progress.h"

#include "platform/prompter.h"
#include "platform/ui/status_progress.h"
#include "resources/strings.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressDialog>

namespace pelldrake {

StoppableProgress::StoppableProgress(ProgressSink* inner, QWidget* parent) : inner_(inner), parent_(parent) {
    running_.start();
}

StoppableProgress::~StoppableProgress() = default;

void StoppableProgress::Report(std::size_t done, std::size_t total, std::string_view at) {
    if (inner_)
        inner_->Report(done, total, at);
    if (stopped_ || running_.elapsed() < kShowAfterMs)
        return;
    if (!box_) {
        box_ =
            std::make_unique<QProgressDialog>(QString(), strings::Utf8(strings::kProgressStop), 0, 0, parent_.data());
        box_->setWindowTitle(ApplicationTitle());
        box_->setWindowModality(Qt::ApplicationModal);
        box_->setMinimumDuration(0);
        box_->setAutoReset(false);
        box_->setAutoClose(false);
        // Esc stops the work also where it reaches the box as a key rather than as the box's
        // shortcut: the dialog then rejects itself, and a box gone while the scan went on would
        // look like a stop that never happened.
        QObject::connect(box_.get(), &QDialog::rejected, box_.get(), &QProgressDialog::cancel);
        box_->show();
    }
    box_->setLabelText(StatusProgress::TextOf(done, total, at));
    // Every input may pass: the box is modal, so only its own button and Esc reach anything.
    QCoreApplication::processEvents();
}

void StoppableProgress::Finish() {
    box_.reset();
    if (inner_)
        inner_->Finish();
}

bool StoppableProgress::StopRequested() {
    stopped_ = stopped_ || (box_ && box_->wasCanceled());
    return stopped_;
}

} // namespace pelldrake
