#pragma once

#include <QIODevice>
#include <atomic>

namespace pelldrake {

// Reads through to another device until the flag turns true, then fails every read. A decoder
// reading from it gives up at its next read: the one way to stop libjpeg or libpng early.
class AbandonableFile : public QIODevice {
public:
    AbandonableFile(QIODevice& source, const std::atomic<bool>& abandoned);

    bool isSequential() const override { return false; }
    qint64 size() const override { return source_.size(); }
    bool seek(qint64 position) override;
    // Whether a read was refused, so what the decoder made of the file is not the picture.
    bool wasAbandoned() const { return refused_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& source_;
    const std::atomic<bool>& abandoned_;
    bool refused_ = false;
};

} // namespace pelldrake
