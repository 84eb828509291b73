#include "thumbs/abandonable_file.h"

namespace pelldrake {

AbandonableFile::AbandonableFile(QIODevice& source, const std::atomic<bool>& abandoned)
    : source_(source), abandoned_(abandoned) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool AbandonableFile::seek(qint64 position) {
    return source_.seek(position) && QIODevice::seek(position);
}

qint64 AbandonableFile::readData(char* data, qint64 maxSize) {
    if (abandoned_.load(std::memory_order_relaxed)) {
        refused_ = true;
        return -1;
    }
    return source_.read(data, maxSize);
}

} // namespace pelldrake
