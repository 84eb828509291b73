#pragma once

#include "thumbs/jpeg_layout.h"

#include <QIODevice>
#include <vector>

namespace pelldrake {

// Reads stretches of another device as if they were one file, so that a decoder never sees the
// bytes left out between them.
class SplicedDevice : public QIODevice {
public:
    SplicedDevice(QIODevice& source, std::vector<ByteRange> ranges);

    bool isSequential() const override { return false; }
    qint64 size() const override { return size_; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QIODevice& source_;
    std::vector<ByteRange> ranges_;
    std::vector<qint64> starts_; // where each range begins in the spliced stream
    qint64 size_ = 0;
};

} // namespace pelldrake
