#include "thumbs/spliced_device.h"

#include <algorithm>

namespace pelldrake {

SplicedDevice::SplicedDevice(QIODevice& source, std::vector<ByteRange> ranges)
    : source_(source), ranges_(std::move(ranges)) {
    for (const ByteRange& range : ranges_) {
        starts_.push_back(size_);
        size_ += range.length;
    }
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 SplicedDevice::readData(char* data, qint64 maxSize) {
    qint64 done = 0;
    qint64 at = pos();
    while (done < maxSize && at < size_) {
        const auto next = std::upper_bound(starts_.begin(), starts_.end(), at);
        const std::size_t index = static_cast<std::size_t>(next - starts_.begin()) - 1;
        const ByteRange& range = ranges_[index];
        const qint64 into = at - starts_[index];
        const qint64 wanted = std::min(maxSize - done, range.length - into);
        if (source_.pos() != range.offset + into && !source_.seek(range.offset + into))
            return done > 0 ? done : -1;
        const qint64 got = source_.read(data + done, wanted);
        if (got <= 0)
            return done > 0 ? done : got;
        done += got;
        at += got;
    }
    return done;
}

} // namespace pelldrake
