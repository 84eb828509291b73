#include "platform/ui/status_progress.h"

#include "platform/file_info.h"
#include "resources/strings.h"

#include <QCoreApplication>
#include <QLabel>

namespace pelldrake {

void StatusProgress::Report(std::size_t done, std::size_t total, std::string_view at) {
    if (!statusLine_)
        return;
    if (!running_) {
        running_ = true;
        before_ = statusLine_->text();
        sinceShown_.start();
        return; // a short operation ends before anyone would read it
    }
    if (sinceShown_.elapsed() < kIntervalMs)
        return;
    shown_ = TextOf(done, total, at);
    statusLine_->setText(shown_);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceShown_.start();
}

QString StatusProgress::TextOf(std::size_t done, std::size_t total, std::string_view at) {
    return total == 0 ? QString::asprintf(strings::kProgressFound, static_cast<long long>(done))
                      : QString::asprintf(strings::kProgressStep, static_cast<long long>(done),
                                          static_cast<long long>(total)) +
                            PathToQString(FilePath(at));
}

void StatusProgress::Finish() {
    if (running_ && statusLine_ && !shown_.isEmpty() && statusLine_->text() == shown_)
        statusLine_->setText(before_);
    running_ = false;
    shown_.clear();
}

} // namespace pelldrake
