#include "thumbs/jxl_decoder.h"

namespace pelldrake {
namespace {

// Small enough that an abandoned decode stops soon, large enough that the decoder rarely waits.
constexpr qint64 kChunkBytes = qint64{256} << 10;

} // namespace

JxlDecoderPtr StartJxlDecoder(QIODevice& device, int events) {
    if (!device.seek(0))
        return nullptr;
    JxlDecoderPtr decoder(JxlDecoderCreate(nullptr));
    if (decoder && JxlDecoderSubscribeEvents(decoder.get(), events) != JXL_DEC_SUCCESS)
        decoder.reset();
    return decoder;
}

bool JxlFeeder::More(qint64 limit) {
    if (fed_) {
        const std::size_t unused = JxlDecoderReleaseInput(decoder_);
        buffer_.erase(buffer_.begin(), buffer_.end() - static_cast<std::ptrdiff_t>(unused));
    }
    if (closed_ || device_.pos() >= limit)
        return false;
    const std::size_t kept = buffer_.size();
    buffer_.resize(kept + static_cast<std::size_t>(kChunkBytes));
    const qint64 got = device_.read(reinterpret_cast<char*>(buffer_.data() + kept), kChunkBytes);
    if (got <= 0)
        return false;
    buffer_.resize(kept + static_cast<std::size_t>(got));
    JxlDecoderSetInput(decoder_, buffer_.data(), buffer_.size());
    fed_ = true;
    // Told that nothing follows, the decoder reports a file cut short as an error instead of
    // asking for more.
    if (device_.atEnd()) {
        JxlDecoderCloseInput(decoder_);
        closed_ = true;
    }
    return true;
}

} // namespace pelldrake
